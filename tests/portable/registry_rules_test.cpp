// The pure rules behind registry entries, associations and firewall items:
// field splitting, value data by type, the backup name, the record line and
// the firewall item list.
#include <gtest/gtest.h>

#include "portable/association_rules.h"
#include "portable/firewall_items.h"
#include "portable/registry_entries.h"
#include "portable/text.h"

namespace ks {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(Registry2Text, FieldSplitting) {
  struct Case {
    const char* line;
    std::vector<std::string> fields;
  };
  const Case kCases[] = {
      {"\\HKLM\\Software\\A", {"\\HKLM\\Software\\A"}},
      {"\\HKLM\\A,Name,1,text,,", {"\\HKLM\\A", "Name", "1", "text", "", ""}},
      {"  \\HKLM\\A,  Name,\t4,  12,,", {"\\HKLM\\A", "Name", "4", "12", "", ""}},
      {"\"\\HKLM\\A,B\",\"say \"\"hi\"\"\",1,\"a,b\",0,1", {"\\HKLM\\A,B", "say \"hi\"", "1", "a,b", "0", "1"}},
      {"\"\",\"\",1,,,", {"", "", "1", "", "", ""}},
      {"a,b,c", {"a", "b", "c"}},
      {"trailing blanks stay ,x", {"trailing blanks stay ", "x"}},
      {"\"unclosed, quote", {"unclosed, quote"}},
      {",", {"", ""}},
  };
  for (const Case& c : kCases) EXPECT_EQ(SplitRegistry2Line(c.line), c.fields) << c.line;
}

TEST(Registry2Text, LinesDropEmptyOnes) {
  std::vector<std::string_view> expected = {"a", "b", "c", "d"};
  EXPECT_EQ(Registry2Lines("a\r\nb\n\r\nc\rd\r\n"), expected);
  EXPECT_TRUE(Registry2Lines("").empty());
}

TEST(Registry2Text, DataByType) {
  auto expand = [](std::u16string s) { return s == u"%X%" ? std::u16string(u"C:\\X") : s; };
  struct Case {
    const char* type;
    const char* data;
    uint32_t out_type;
    Bytes bytes;
  };
  const Case kCases[] = {
      {"1", "%X%", 1, {'C', 0, ':', 0, '\\', 0, 'X', 0, 0, 0}},
      {"2", "%X%", 2, {'%', 0, 'X', 0, '%', 0, 0, 0}},
      {"1", "\xC3\xA9", 1, {0xE9, 0, 0, 0}},  // UTF-8 é
      {"1", "", 1, {0, 0}},
      {"3", "01 ab FF", 3, {0x01, 0xAB, 0xFF}},
      {"3", "0", 3, {'0'}},            // odd count: the text itself
      {"3", "zz 01", 3, {'z', 'z', '0', '1'}},  // not hexadecimal: the text without spaces
      {"3", "", 3, {}},
      {"4", "123", 4, {123, 0, 0, 0}},
      {"4", "4294967295", 4, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"4", "-1", 4, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"4", "abc", 4, {0, 0, 0, 0}},
      {"11", "4294967296", 11, {0, 0, 0, 0, 1, 0, 0, 0}},
      {"11", "18446744073709551615", 11, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"7", "abc", 7, {}},  // a type without a data rule stores nothing
      {"x", "abc", 0, {}},
  };
  for (const Case& c : kCases) {
    RegistryValueData v = MakeRegistryValue(c.type, c.data, expand);
    EXPECT_EQ(v.type, c.out_type) << c.type << " " << c.data;
    EXPECT_EQ(v.bytes, c.bytes) << c.type << " " << c.data;
  }
}

TEST(Registry2Text, AllUsersPath) {
  std::u16string_view rest;
  EXPECT_TRUE(SplitAllUsersPath(u"\\HKAU\\Software\\A", rest));
  EXPECT_EQ(rest, u"Software\\A");
  EXPECT_TRUE(SplitAllUsersPath(u"\\hkau\\X", rest));
  EXPECT_EQ(rest, u"X");
  EXPECT_FALSE(SplitAllUsersPath(u"\\HKCU\\X", rest));
  EXPECT_FALSE(SplitAllUsersPath(u"HKAU\\X", rest));
}

TEST(Associations, ExtensionAndFileType) {
  EXPECT_EQ(AssociationExtension("txt"), ".txt");
  EXPECT_EQ(AssociationExtension(".txt"), ".txt");
  EXPECT_EQ(AssociationExtension(""), "");

  AssociationFileType fixed = ParseAssociationFileType("Maker.Doc");
  EXPECT_FALSE(fixed.derived);
  EXPECT_EQ(fixed.name, "Maker.Doc");
  AssociationFileType current = ParseAssociationFileType("");
  EXPECT_TRUE(current.derived);
  EXPECT_EQ(current.fallback, "");
  AssociationFileType bang = ParseAssociationFileType("!Maker.Doc");
  EXPECT_TRUE(bang.derived);
  EXPECT_EQ(bang.fallback, "Maker.Doc");
}

TEST(Associations, BackupNameAndRecord) {
  EXPECT_EQ(BackupValueName(u"Acme Pad"), u"Acme Pad Backup");
  EXPECT_EQ(BackupValueName(u"A\\B\r\nC\tD"), u"ABCD Backup");
  EXPECT_EQ(BackupValueName(u""), u" Backup");
  EXPECT_EQ(AssociationRecordLine({".txt", "Acme.Text", "open", "%InstallDir%\\a.ico"}),
            ".txt~!~Acme.Text~!~open~!~%InstallDir%\\a.ico\r\n");
  EXPECT_EQ(AssociationRecordLine({".x", "T", "edit", ""}), ".x~!~T~!~edit~!~\r\n");

  // The record line reads back as the record.
  UninstallData data;
  data.associations.push_back({".txt", "Acme.Text", "open", "i.ico"});
  UninstallData back;
  ParseUninstallData(ComposeUninstallData(data), back);
  EXPECT_EQ(back.associations, data.associations);
}

TEST(FirewallItems, Lines) {
  std::vector<std::u16string_view> expected = {u"a", u"b", u"c", u"d", u"e"};
  EXPECT_EQ(FirewallLines(u"a\r\nb\n\rc\rd\ne"), expected);
  expected = {u"a", u"b"};
  EXPECT_EQ(FirewallLines(u"a\r\n\r\nb\r\n"), expected);
  EXPECT_TRUE(FirewallLines(u"").empty());
}

TEST(FirewallItems, Fields) {
  struct Case {
    const char16_t* line;
    bool valid;
    bool is_port;
    long port;
    const char16_t* name;
    unsigned flags;
    bool keep;
  };
  const Case kCases[] = {
      {u"8080;;3;", true, true, 8080, u"", 3, false},
      {u"8080;Web;1;1", true, true, 8080, u"Web", 1, true},
      {u"53;Dns;2;0", true, true, 53, u"Dns", 2, false},
      {u"%InstallDir%\\app.exe;App;0;", true, false, 0, u"App", 0, false},
      {u"80a;x;1;", true, false, 0, u"x", 1, false},
      {u"99999999;x;1;", true, true, -1, u"x", 1, false},  // -1: above 65535
      {u";x;0;", true, false, 0, u"x", 0, false},
      {u"1;x;1;keep 10", true, true, 1, u"x", 1, true},
      {u"8080;;3", false, false, 0, u"", 0, false},
      {u"8080;;3;;", false, false, 0, u"", 0, false},
      {u"8080", false, false, 0, u"", 0, false},
  };
  for (const Case& c : kCases) {
    std::optional<FirewallItem> item = ParseFirewallLine(c.line);
    ASSERT_EQ(item.has_value(), c.valid) << Utf16ToUtf8(c.line);
    if (!item) continue;
    EXPECT_EQ(item->is_port, c.is_port) << Utf16ToUtf8(c.line);
    if (c.port < 0) {
      EXPECT_GT(item->port, 65535);
    } else {
      EXPECT_EQ(item->port, c.port);
    }
    EXPECT_EQ(item->name, c.name);
    EXPECT_EQ(item->flags, c.flags);
    EXPECT_EQ(item->keep, c.keep);
  }
}

}  // namespace
}  // namespace ks
