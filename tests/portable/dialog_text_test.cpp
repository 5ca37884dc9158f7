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
