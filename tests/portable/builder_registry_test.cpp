// The builder's [[registry]], [[associations]] and [[firewall]] entries: the
// settings texts they compile to, their refusals, and inspect's reading back.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "inspect_registry.h"
#include "portable/text.h"
#include "project.h"

namespace ks::builder {
namespace {

const std::string kHead = "[product]\nname = \"Acme Pad\"\n";

bool Parse(const std::string& body, Project& p, ProjectError& e) {
  return ParseProject(kHead + body, "p.toml", std::filesystem::temp_directory_path(), p, e);
}

TEST(BuilderRegistry, EntriesTextOfEveryForm) {
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(R"(
[[registry]]
key = "HKLM\\Software\\Acme\\Pad"
name = "Say, \"hi\""
value = "%InstallDir%"
[[registry]]
key = "\\HKEY_CURRENT_USER\\Software\\Acme"
type = "expand"
value = "%TEMP%"
uninstall_only = true
remove_at_uninstall = false
[[registry]]
key = "hkau\\Software\\Acme\\Pad"
name = "Bytes"
type = "binary"
value = "0a ff"
[[registry]]
key = "HKLM\\Software\\Acme\\Pad"
name = "N"
type = "dword"
value = 4294967295
[[registry]]
key = "HKCR\\Acme.Pad\\Cache"
name = "Q"
type = "qword"
value = 4294967296
[[registry]]
key = "HKCU\\Software\\Acme\\Pad"
)",
                    p, e))
      << e.Text();
  EXPECT_EQ(p.settings.Registry2Text,
            "\"\\HKLM\\Software\\Acme\\Pad\",\"Say, \"\"hi\"\"\",1,\"%InstallDir%\",,1\r\n"
            "\"\\HKCU\\Software\\Acme\",\"\",2,\"%TEMP%\",1,\r\n"
            "\"\\HKAU\\Software\\Acme\\Pad\",\"Bytes\",3,\"0a ff\",,1\r\n"
            "\"\\HKLM\\Software\\Acme\\Pad\",\"N\",4,\"4294967295\",,1\r\n"
            "\"\\HKCR\\Acme.Pad\\Cache\",\"Q\",11,\"4294967296\",,1\r\n"
            "\"\\HKCU\\Software\\Acme\\Pad\"\r\n");

  nlohmann::ordered_json j;
  AddRegistryProjectJson(p.settings, j);
  EXPECT_EQ(j["registry"][0]["name"], "Say, \"hi\"");
  EXPECT_EQ(j["registry"][1]["type"], "expand");
  EXPECT_EQ(j["registry"][1]["uninstall_only"], true);
  EXPECT_EQ(j["registry"][1]["remove_at_uninstall"], false);
  EXPECT_EQ(j["registry"][2]["key"], "\\HKAU\\Software\\Acme\\Pad");
  EXPECT_EQ(j["registry"][4]["type"], "qword");
  EXPECT_EQ(j["registry"][5], nlohmann::ordered_json({{"key", "\\HKCU\\Software\\Acme\\Pad"}}));
}

TEST(BuilderRegistry, AssociationsAndFirewall) {
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(R"(
[[associations]]
extension = "apad"
file_type = "Acme.Pad"
description = "Acme Pad d\u00e9j\u00e0"
verb_label = "&Open"
command = "\"%InstallDir%\\pad.exe\" \"%1\""
icon = "pad.exe,0"
kind = "default"
[[associations]]
extension = ".txt"
file_type = "!Acme.Text"
verb = "edit"
command = "pad.exe \"%1\""
language = "English"
[[firewall]]
port = 8080
[[firewall]]
port = 53
protocol = "udp"
name = "Acme DNS"
keep = true
[[firewall]]
program = "%InstallDir%\\pad.exe"
)",
                    p, e))
      << e.Text();
  const Settings& s = p.settings;
  ASSERT_EQ(s.AssociationList.size(), 2u);
  EXPECT_EQ(s.AssociationList[0].AssocKind, 1u);
  EXPECT_EQ(s.AssociationList[0].Extension, "apad");
  EXPECT_EQ(s.AssociationList[0].Verb, "open");
  EXPECT_EQ(s.AssociationList[0].TypeDescription, "Acme Pad d\xC3\xA9j\xC3\xA0");  // UTF-8
  EXPECT_EQ(s.AssociationList[1].FileType, "!Acme.Text");
  EXPECT_EQ(s.AssociationList[1].Language, u"English");
  EXPECT_EQ(s.FirewallPrograms, u"8080;;3;\r\n53;Acme DNS;2;1\r\n%InstallDir%\\pad.exe;;0;\r\n");

  nlohmann::ordered_json j;
  AddRegistryProjectJson(s, j);
  EXPECT_EQ(j["associations"][0]["kind"], "default");
  EXPECT_EQ(j["associations"][1]["language"], "English");
  EXPECT_EQ(j["firewall"][0]["protocol"], "both");
  EXPECT_EQ(j["firewall"][1]["protocol"], "udp");
  EXPECT_EQ(j["firewall"][1]["keep"], true);
  EXPECT_EQ(j["firewall"][2]["program"], "%InstallDir%\\pad.exe");
}

TEST(BuilderRegistry, Refusals) {
  const struct {
    const char* body;
    const char* says;
  } kCases[] = {
      {"[[registry]]\nkey = \"Software\\\\Acme\"\nname = \"x\"\nvalue = \"y\"\n", "registry root"},
      {"[[registry]]\nkey = \"HKDD\\\\Acme\\\\X\"\n", "registry root"},
      {"[[registry]]\nkey = \"HKLM\\\\Software\"\n", "two levels"},
      {"[[registry]]\nkey = \"HKLM\\\\Software\\\\A\"\nname = \"x\"\n", "needs 'value'"},
      {"[[registry]]\nkey = \"HKLM\\\\Software\\\\A\"\nname = \"x\"\ntype = \"dword\"\nvalue = -1\n", "dword"},
      {"[[registry]]\nkey = \"HKLM\\\\Software\\\\A\"\nname = \"x\"\ntype = \"binary\"\nvalue = \"abc\"\n",
       "hexadecimal"},
      {"[[registry]]\nkey = \"HKLM\\\\Software\\\\A\"\nname = \"x\"\nvalue = \"a\\nb\"\n", "line breaks"},
      {"[[registry]]\nkey = \"HKLM\\\\Software\\\\A\"\nname = \"x\"\ntype = \"multi\"\nvalue = \"a\"\n", "one of"},
      {"[[associations]]\nextension = \"a b\"\ncommand = \"x\"\n", "extension"},
      {"[[associations]]\nextension = \"abc\"\n", "command"},
      {"[[associations]]\nextension = \"abc\"\ncommand = \"x\"\nverb = \"\"\n", "verb"},
      {"[[associations]]\nextension = \"abc\"\ncommand = \"x\"\nkind = \"open_with\"\n", "open_with"},
      {"[[associations]]\nextension = \"abc\"\ncommand = \"x\"\nlanguage = \"Klingon\"\n", "languages"},
      {"[[associations]]\nextension = \"abc\"\ncommand = \"x\"\nfile_type = \"A\\\\B\"\n", "file_type"},
      {"[[firewall]]\nname = \"x\"\n", "port or authorises a program"},
      {"[[firewall]]\nport = 80\nprogram = \"a.exe\"\n", "port or authorises a program"},
      {"[[firewall]]\nport = 70000\n", "65535"},
      {"[[firewall]]\nprogram = \"a;b.exe\"\n", "\";\""},
      {"[[firewall]]\nprogram = \"123\"\n", "digits alone"},
      {"[[firewall]]\nprogram = \"a.exe\"\nprotocol = \"tcp\"\n", "belongs to ports"},
  };
  for (const auto& c : kCases) {
    Project p;
    ProjectError e;
    EXPECT_FALSE(Parse(c.body, p, e)) << c.body;
    EXPECT_NE(e.message.find(c.says), std::string::npos) << c.body << " -> " << e.message;
  }
}

}  // namespace
}  // namespace ks::builder
