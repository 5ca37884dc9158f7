// Dialog template variant names and the placeholders of localised texts.
#include <gtest/gtest.h>

#include "portable/dialog_text.h"

namespace ks {
namespace {

TEST(DialogTemplateName, VariantTable) {
  struct Case { int variants; const char* expect; };
  const Case kCases[] = {
      {0, "ChooseDirDlg2"}, {1, "ChooseDirDlg"}, {2, "ChooseDirDlg3"},
      {3, "ChooseDirDlg3"}, {-1, "ChooseDirDlg3"}, {255, "ChooseDirDlg3"}};
  for (const Case& c : kCases)
    EXPECT_EQ(DialogTemplateName("ChooseDirDlg", c.variants), c.expect) << c.variants;
}

TEST(FillPlaceholders, Table) {
  const TextPlaceholders v{u"Acme <os>", u"Tools", u"C:\\windows"};
  struct Case { const char16_t* text; const char16_t* expect; };
  const Case kCases[] = {
      {u"Welcome to <product>.", u"Welcome to Acme <os>."},  // no rescan
      {u"<product> <description> in <os>", u"Acme <os> Tools in C:\\windows"},
      {u"<product><product>", u"Acme <os>Acme <os>"},
      {u"<Product> <prod <os", u"<Product> <prod <os"},  // case and partial names stay
      {u"", u""},
  };
  for (const Case& c : kCases) EXPECT_EQ(FillPlaceholders(c.text, v), c.expect);
}

}  // namespace
}  // namespace ks

namespace ks {
namespace {

TEST(ClassifyViewerText, ByLeadingBytes) {
  using std::string_literals::operator""s;
  struct Case { std::string bytes; ViewerText kind; std::u16string text; std::string rtf; };
  const Case kCases[] = {
      {"{\\rtf1 x}", ViewerText::kRichText, u"", "{\\rtf1 x}"},
      {"\xEF\xBB\xBF{\\rtf1 y}", ViewerText::kRichText, u"", "{\\rtf1 y}"},
      {"\xFF\xFE" "A\0\n\0"s, ViewerText::kUtf16, u"A\r\n", ""},
      {"\xFE\xFF\0A\0\xE9"s, ViewerText::kUtf16, u"A\u00e9", ""},  // big-endian is swapped
      {"\xEF\xBB\xBF\xC3\xA9\n", ViewerText::kUtf8, u"\u00e9\r\n", ""},
      {"\xEF\xBB\xBF\xC3", ViewerText::kEightBit, u"", ""},  // broken UTF-8 shows as 8-bit
      {"plain \xE9", ViewerText::kEightBit, u"", ""},
      {"", ViewerText::kEightBit, u"", ""},
  };
  for (const Case& c : kCases) {
    const ViewerContent got = ClassifyViewerText(c.bytes);
    EXPECT_EQ(got.kind, c.kind) << c.bytes;
    EXPECT_EQ(got.text, c.text) << c.bytes;
    EXPECT_EQ(got.rtf, c.rtf) << c.bytes;
  }
}

}  // namespace
}  // namespace ks
