// The pieces of `keldwick inspect --project` that decide what a round trip
// keeps: TOML strings that read back as written, and the field a difference
// is reported under.
#include <gtest/gtest.h>
#include <toml++/toml.h>

#include "project_writer_parts.h"
#include "settings_fields.h"

namespace ks::builder {
namespace {

TEST(ProjectWriterTest, TomlStringsReadBackAsWritten) {
  const std::string texts[] = {
      "",  "plain", "quote \" and backslash \\", "C:\\Program Files\\X\\", "tab\tCR\rLF\nform\fback\b",
      std::string("nul-free controls \x01\x1f\x7f", 25), "\xc2\xa9 caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
      "#not a comment", "${NOT_A_DEFINE}",
  };
  for (const std::string& text : texts) {
    toml::table t = toml::parse("k = " + write::TomlString(text) + "\n");
    EXPECT_EQ(t["k"].value<std::string>(), text) << write::TomlString(text);
  }
}

TEST(ProjectWriterTest, FirstDifferentFieldNamesTheField) {
  Settings a;
  a.LanguageNames = {u"English"};
  EXPECT_EQ(FirstDifferentField(a, a), "");
  struct Case {
    void (*change)(Settings&);
    std::string_view field;
  };
  const Case cases[] = {
      {[](Settings& s) { s.OptionFlags = 1; }, "OptionFlags"},
      {[](Settings& s) { s.UninstallBatch1 = "echo"; }, "UninstallBatch1"},
      {[](Settings& s) { s.Reserved[3] = 1; }, "Reserved"},
      {[](Settings& s) { s.StringTable = {{u"x"}}; }, "StringTable"},
      // Two fields: the one earlier in the script is named.
      {[](Settings& s) { s.CloseList.resize(1); s.TitleFont = "Arial"; }, "TitleFont"},
  };
  for (const Case& c : cases) {
    Settings b = a;
    c.change(b);
    EXPECT_EQ(FirstDifferentField(a, b), c.field);
  }
  // Fields filled while reading are no part of the script.
  Settings derived = a;
  derived.ProductName8 = "x";
  derived.CurrentLanguage = 1;
  EXPECT_EQ(FirstDifferentField(a, derived), "");

  FileRecord r, other;
  other.Destination = "%InstallDir%\\";
  EXPECT_EQ(FirstDifferentField(r, r), "");
  EXPECT_EQ(FirstDifferentField(r, other), "Destination");
}

}  // namespace
}  // namespace ks::builder
