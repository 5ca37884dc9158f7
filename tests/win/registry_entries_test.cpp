// The registry entries writer in both registry views, associations with their
// saved defaults, and the firewall objects as this system answers them.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/registry_key.h"
#include "core/wide.h"
#include "install/associations.h"
#include "install/firewall.h"
#include "install/registry_writer.h"
#include "portable/firewall_items.h"
#include "portable/text.h"

namespace ks {
namespace {

std::u16string Pid() {
  std::string s = std::to_string(GetCurrentProcessId());
  return std::u16string(s.begin(), s.end());
}

struct Stored {
  DWORD type = REG_NONE;
  std::vector<uint8_t> bytes;
  bool operator==(const Stored&) const = default;
};

// A value read straight from the system in the given view; type REG_NONE and
// no bytes when it is missing.
Stored Read(HKEY root, const std::u16string& subkey, const std::u16string& name, REGSAM view) {
  Stored s;
  HKEY key;
  if (RegOpenKeyExW(root, W(subkey), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return s;
  DWORD size = 0;
  if (RegQueryValueExW(key, W(name), nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
    s.bytes.resize(size);
    RegQueryValueExW(key, W(name), nullptr, &s.type, s.bytes.data(), &size);
    s.bytes.resize(size);
  } else {
    s.type = 0xFFFFFFFF;
  }
  RegCloseKey(key);
  return s;
}

std::u16string Text(const Stored& s) {
  std::u16string t(s.bytes.size() / 2, u'\0');
  if (!t.empty()) memcpy(t.data(), s.bytes.data(), t.size() * 2);
  while (!t.empty() && t.back() == 0) t.pop_back();
  return t;
}

Stored Wide(DWORD type, std::u16string_view text) {
  Stored s{type, {}};
  for (char16_t c : text) {
    s.bytes.push_back(uint8_t(c));
    s.bytes.push_back(uint8_t(c >> 8));
  }
  s.bytes.insert(s.bytes.end(), {0, 0});
  return s;
}

class RegistryEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  void Clean() {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      HKEY software;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
        RegDeleteTreeW(software, W(name));
        RegCloseKey(software);
      }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, W(u"Software\\" + name));
  }
  RegistryWriteContext Context(unsigned view) {
    RegistryWriteContext c;
    c.view = view;
    c.expand = [](std::u16string s) { return s == u"%Dir%" ? std::u16string(u"C:\\Expanded") : s; };
    c.add_failure = [this](std::u16string_view text) { failures += text; };
    return c;
  }

  std::u16string name = u"KsEntriesTest" + Pid();
  std::u16string failures;
};

TEST_F(RegistryEntriesTest, EveryTypeInTheProductsViewOnly) {
  std::string key = "\\HKLM\\Software\\" + Utf16ToUtf8(name);
  std::string text =
      key + ",Text,1,%Dir%,,\r\n" + key + ",Expand,2,%Dir%,,\r\n" + key + ",Bytes,3,0a 0B ff,,\n" + key +
      ",Number,4,123,,\r" + key + ",Big,11,4294967296,,\r\n" + key + ",\"Quoted, name\",1,\"say \"\"hi\"\"\",0,1\r\n" +
      key + ",,1,default,,\r\n" + key + ",Skipped,1,x,1,\r\n" + key + "\\Empty\r\n" + key + ",Three,1\r\n" +
      "\\HKXX\\Nowhere,V,1,x,,\r\n";
  for (unsigned view : {0u, unsigned(kRegView64)}) {
    SCOPED_TRACE(view ? "64-bit view" : "32-bit view");
    Clean();
    failures.clear();
    WriteRegistry2Text(text, Context(view));
    REGSAM mine = view ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    REGSAM other = view ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    std::u16string sub = u"Software\\" + name;
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, sub, u"Text", mine), Wide(REG_SZ, u"C:\\Expanded"));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, sub, u"Expand", mine), Wide(REG_EXPAND_SZ, u"%Dir%"));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, sub, u"Bytes", mine), (Stored{REG_BINARY, {0x0A, 0x0B, 0xFF}}));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, sub, u"Number", mine), (Stored{REG_DWORD, {123, 0, 0, 0}}));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, sub, u"Big", mine), (Stored{REG_QWORD, {0, 0, 0, 0, 1, 0, 0, 0}}));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, sub, u"Quoted, name", mine), Wide(REG_SZ, u"say \"hi\""));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, sub, u"", mine), Wide(REG_SZ, u"default"));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, sub, u"Skipped", mine).type, 0xFFFFFFFFu);
    EXPECT_TRUE(RegistryKey::KeyExists(HKEY_LOCAL_MACHINE, sub + u"\\Empty", view | kRegTestRead));
    // The other view never sees the product's values.
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, sub, u"Text", other).type, REG_NONE);
    EXPECT_EQ(failures, u"Illegal registry entry: " + Utf8ToUtf16(key) +
                            u",Three,1\r\nFailed to create registry key: \\HKXX\\Nowhere\r\n");
  }
}

TEST_F(RegistryEntriesTest, AllUsersKeysGoBelowEveryLoadedHive) {
  std::string key = "\\HKAU\\Software\\" + Utf16ToUtf8(name);
  WriteRegistry2Text(key + ",Who,1,everyone,,\r\n\\hkau\\Software\\" + Utf16ToUtf8(name) + "\\Sub\r\n", Context(0));
  EXPECT_EQ(failures, u"");
  // The current user's hive is one of them.
  EXPECT_EQ(Read(HKEY_CURRENT_USER, u"Software\\" + name, u"Who", 0), Wide(REG_SZ, u"everyone"));
  EXPECT_TRUE(RegistryKey::KeyExists(HKEY_CURRENT_USER, u"Software\\" + name + u"\\Sub", kRegTestRead));
  // Never the default profile.
  EXPECT_EQ(Read(HKEY_USERS, u".DEFAULT\\Software\\" + name, u"Who", 0).type, REG_NONE);
}

TEST_F(RegistryEntriesTest, ProductKeyInTheMachineAndUserHives) {
  ASSERT_TRUE(CreateProductKey(name, kRegView64));
  EXPECT_TRUE(RegistryKey::KeyExists(HKEY_LOCAL_MACHINE, u"Software\\" + name, kRegView64 | kRegTestRead));
  EXPECT_FALSE(RegistryKey::KeyExists(HKEY_LOCAL_MACHINE, u"Software\\" + name, kRegView32 | kRegTestRead));
  EXPECT_TRUE(RegistryKey::KeyExists(HKEY_CURRENT_USER, u"Software\\" + name, kRegTestRead));
}

class AssociationTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  void Clean() {
    for (const std::u16string& k : {ext, type, other, current})
      for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY root;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"", 0, KEY_ALL_ACCESS | view, &root) == ERROR_SUCCESS) {
          RegDeleteTreeW(root, W(k));
          RegCloseKey(root);
        }
      }
  }
  AssociationContext Context() {
    AssociationContext c;
    c.backup_name = u"Acme Backup";
    c.install_dir = u"C:\\Acme";
    c.expand = [](std::u16string s) { return s; };
    c.add_failure = [this](std::u16string_view t) { failures += t; };
    c.log = [this](std::u16string_view t) { log += t; };
    return c;
  }
  std::u16string Default(const std::u16string& key, const char16_t* name = u"") {
    return Text(Read(HKEY_CLASSES_ROOT, key, name, 0));
  }
  void SetDefault(const std::u16string& key, const std::u16string& value) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, W(key), nullptr, REG_SZ, W(value), DWORD((value.size() + 1) * 2));
  }

  std::u16string ext = u".kst" + Pid();
  std::u16string type = u"KsTest.Doc" + Pid();
  std::u16string other = u"KsTest.Other" + Pid();
  std::u16string current = u"KsTest.Current" + Pid();
  std::u16string failures, log;
};

TEST_F(AssociationTest, WriteAndSaveKeepsTheFirstOldValue) {
  RegistryKey key;
  ASSERT_TRUE(Opened(key.Open(HKEY_CLASSES_ROOT, ext, kRegNoStack, kRegReadWrite)));
  // Nothing there: nothing saved.
  EXPECT_TRUE(WriteAndSave(key, u"First", u"Acme Backup"));
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, ext, u"Acme Backup", 0).type, 0xFFFFFFFFu);
  // Another value is saved before it is replaced.
  EXPECT_TRUE(WriteAndSave(key, u"Ours", u"Acme Backup"));
  EXPECT_EQ(Default(ext), u"Ours");
  EXPECT_EQ(Default(ext, u"Acme Backup"), u"First");
  // Our own value again, in another letter case: the saved value stays.
  EXPECT_TRUE(WriteAndSave(key, u"OURS", u"Acme Backup"));
  EXPECT_EQ(Default(ext, u"Acme Backup"), u"First");
}

TEST_F(AssociationTest, ReplacesAnotherTypeAndRecordsIt) {
  SetDefault(ext, other);
  AssociationEntry e;
  e.AssocKind = 1;
  e.Extension = Utf16ToUtf8(ext).substr(1);  // without its dot
  e.FileType = Utf16ToUtf8(type);
  e.TypeDescription = "Acme document \xE2\x82\xAC";  // UTF-8 euro sign
  e.Verb = "open";
  e.VerbLabel = "&Open with Acme";
  e.Command = "\"C:\\Acme\\acme.exe\" \"%1\"";
  e.IconPath = "acme.exe,1";
  std::optional<FileAssociation> record = InstallAssociation(e, Context());
  ASSERT_TRUE(record);
  EXPECT_EQ(*record, (FileAssociation{Utf16ToUtf8(ext), e.FileType, "open", "acme.exe,1"}));
  EXPECT_EQ(failures, u"");
  EXPECT_EQ(log, u"Associated " + ext + u" with \"C:\\Acme\\acme.exe\" \"%1\"\r\n");

  EXPECT_EQ(Default(ext), type);
  EXPECT_EQ(Default(ext, u"Acme Backup"), other);
  EXPECT_NE(Read(HKEY_CLASSES_ROOT, ext + u"\\OpenWithProgids", type, 0).type, 0xFFFFFFFFu);
  EXPECT_EQ(Default(type), u"Acme document \u20AC");
  EXPECT_EQ(Default(type + u"\\DefaultIcon"), u"C:\\Acme\\acme.exe,1");
  EXPECT_EQ(Default(type + u"\\shell"), u"open");
  EXPECT_EQ(Default(type + u"\\shell\\open"), u"&Open with Acme");
  EXPECT_EQ(Default(type + u"\\shell\\open\\command"), u"\"C:\\Acme\\acme.exe\" \"%1\"");

  // A second installation: the backup still names the other type.
  log.clear();
  ASSERT_TRUE(InstallAssociation(e, Context()));
  EXPECT_EQ(Default(ext, u"Acme Backup"), other);
}

TEST_F(AssociationTest, BangFormUsesTheCurrentTypeOrItsOwnName) {
  AssociationEntry e;
  e.Extension = Utf16ToUtf8(ext);
  e.FileType = "!" + Utf16ToUtf8(type);
  e.TypeDescription = "Ours";
  e.Verb = "print";
  e.VerbLabel = "Print";
  e.Command = "print.exe";

  // The extension has a type: the verb goes there, the extension stays.
  SetDefault(ext, current);
  SetDefault(current, u"Their description");
  std::optional<FileAssociation> record = InstallAssociation(e, Context());
  ASSERT_TRUE(record);
  EXPECT_EQ(record->file_type, Utf16ToUtf8(current));
  EXPECT_EQ(Default(ext), current);
  EXPECT_EQ(Default(ext, u"Acme Backup"), u"");
  EXPECT_EQ(Default(current), u"Their description");
  EXPECT_EQ(Default(current + u"\\shell\\print\\command"), u"print.exe");
  EXPECT_FALSE(RegistryKey::KeyExists(HKEY_CLASSES_ROOT, type, kRegTestRead));
  EXPECT_EQ(log, u"");  // the extension itself was not written

  // Without one, the entry's own name becomes the extension's type.
  Clean();
  record = InstallAssociation(e, Context());
  ASSERT_TRUE(record);
  EXPECT_EQ(record->file_type, Utf16ToUtf8(type));
  EXPECT_EQ(Default(ext), type);
  EXPECT_EQ(Default(type), u"Ours");
  EXPECT_EQ(failures, u"");
}

TEST_F(AssociationTest, DerivedTypeFailures) {
  AssociationEntry e;
  e.Extension = Utf16ToUtf8(ext);
  e.Verb = "open";
  e.Command = "x.exe";
  // No file type and no extension key: the key cannot be opened (logged).
  EXPECT_FALSE(InstallAssociation(e, Context()));
  EXPECT_EQ(log, u"Association failed/key inaccessible:  \"" + ext + u"\".\r\n\r\n");
  // A key without a type: nothing to add the verb to.
  RegSetKeyValueW(HKEY_CLASSES_ROOT, W(ext), L"Other", REG_SZ, L"x", 4);
  EXPECT_FALSE(InstallAssociation(e, Context()));
  EXPECT_EQ(failures, u"Association failed/no label:  \"" + ext + u"\".\r\n\r\n");
}

TEST_F(AssociationTest, OpenWithLeavesTheExtensionsType) {
  SetDefault(ext, other);
  AssociationEntry e;
  e.AssocKind = 2;
  e.Extension = Utf16ToUtf8(ext);
  e.FileType = Utf16ToUtf8(type);
  e.Verb = "edit";
  e.Command = "edit.exe";
  ASSERT_TRUE(InstallAssociation(e, Context()));
  EXPECT_EQ(Default(ext), other);
  EXPECT_NE(Read(HKEY_CLASSES_ROOT, ext + u"\\OpenWithProgids", type, 0).type, 0xFFFFFFFFu);
  EXPECT_EQ(Default(type + u"\\shell\\edit\\command"), u"edit.exe");
  EXPECT_EQ(log, u"");
}

// Wine's firewall objects are stubs that accept what they are given; the
// codes here are its answers, not those of a real firewall.
TEST(Firewall, WineAnswers) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // Before a connection there is no profile to work on.
  FirewallReleaseProfile();
  EXPECT_EQ(FirewallOpenPort(8080, kProtocolTcp, u"Ks test"), kFirewallNotConnected);
  int connected = FirewallConnect();
  ASSERT_EQ(connected, kFirewallDone);
  EXPECT_EQ(FirewallOpenPort(8080, kProtocolTcp, u"Ks test"), kFirewallDone);
  EXPECT_EQ(FirewallOpenPort(8080, kProtocolUdp, u""), kFirewallMissingArgument);
  // Wine's open-port collection adds but does not remove: the refusal is a result, not a crash.
  EXPECT_EQ(FirewallRemovePort(8080, kProtocolTcp), kFirewallChangeFailed);
  EXPECT_EQ(FirewallAuthorizeProgram(u"C:\\windows\\notepad.exe", u"Ks test"), kFirewallDone);
  EXPECT_EQ(FirewallRemoveProgram(u"C:\\windows\\notepad.exe"), kFirewallDone);
  FirewallReleaseProfile();
  EXPECT_EQ(FirewallRemoveProgram(u"C:\\windows\\notepad.exe"), kFirewallNotConnected);
  CoUninitialize();
}

}  // namespace
}  // namespace ks
