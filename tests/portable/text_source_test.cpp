// The text sources: the settings' table follows the current language; texts
// read back from Uninstall.DAT get the same placeholder replacement.
#include "portable/text_source.h"

#include <gtest/gtest.h>

#include <memory>

namespace ks {
namespace {

TEST(TextSource, SettingsTableFollowsTheLanguageAndReplacesOnce) {
  Settings s;
  s.ProductName = u"Prod <os>";  // brought in by a replacement: not searched again
  s.ProductDescription = u"Descr";
  s.LanguageNames = {u"English", u"Deutsch"};
  s.StringTable = {{u"<product> on <os>", u"<description> auf <os>"}, {u"only English"}};
  SettingsTexts texts(s, u"C:\\Windows");
  EXPECT_EQ(texts.Text(0), u"Prod <os> on C:\\Windows");
  s.CurrentLanguage = 1;
  EXPECT_EQ(texts.Text(0), u"Descr auf C:\\Windows");
  EXPECT_EQ(texts.Text(1), u"");  // no text in that language
  EXPECT_EQ(texts.Text(2), u"");
  EXPECT_EQ(texts.Text(-1), u"");
}

TEST(TextSource, StoredTextsServeTheSameCallers) {
  std::unique_ptr<TextSource> texts = std::make_unique<StoredTexts>(
      std::map<int, TextW>{{10, u"Remove <product>?"}, {999, u"<description> <product <os>"}}, u"App",
      u"My App", u"C:\\Win");
  EXPECT_EQ(texts->Text(10), u"Remove App?");
  EXPECT_EQ(texts->Text(999), u"My App <product C:\\Win");
  EXPECT_EQ(texts->Text(11), u"");
}

}  // namespace
}  // namespace ks
