// RegistryKey against the real registry of the Wine prefix, below a test key
// of its own in HKCU (and one in HKLM for the views).
#include "core/registry_key.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/wide.h"
#include "portable/text.h"

namespace ks {
namespace {

std::u16string Number(DWORD n) {
  std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, W(subkey)); }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, W(subkey));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KsCoreTest");
  }
  // The raw stored type and bytes of a value in the test key.
  bool Raw(const char16_t* name, DWORD* type, std::string* bytes) {
    BYTE data[256];
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, W(subkey), W(std::u16string(name)), RRF_RT_ANY | RRF_NOEXPAND, type, data,
                     &size) != ERROR_SUCCESS)
      return false;
    bytes->assign(reinterpret_cast<char*>(data), size);
    return true;
  }

  std::u16string subkey = u"Software\\KsCoreTest\\" + Number(GetCurrentProcessId());
  std::u16string path = u"\\HKCU\\" + subkey;
};

TEST_F(RegistryTest, PathPrefixesAnyCaseWithoutBackslashAndUnknown) {
  RegistryKey key;
  EXPECT_EQ(key.OpenPath(u"\\hkcu\\" + subkey, 0, kRegReadWrite), KeyOpen::kCreated);
  EXPECT_EQ(key.FullPath(), u"HKEY_CURRENT_USER\\" + subkey + u"\\");
  EXPECT_EQ(key.OpenPath(path, kRegNoStack, kRegRead), KeyOpen::kOpened);

  // The prefix alone, without its final backslash, is the root itself.
  EXPECT_EQ(key.OpenPath(u"\\HKCU", kRegOpenOnly | kRegNoStack, kRegRead), KeyOpen::kOpened);
  EXPECT_EQ(key.FullPath(), u"HKEY_CURRENT_USER\\");
  EXPECT_EQ(key.OpenSubKey(subkey, kRegOpenOnly | kRegNoStack, kRegRead), KeyOpen::kOpened);
  EXPECT_EQ(key.FullPath(), u"HKEY_CURRENT_USER\\" + subkey + u"\\");

  SetLastError(0);
  EXPECT_EQ(key.OpenPath(u"\\HKXX\\Software", 0, kRegRead), KeyOpen::kFailed);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_PATHNAME));
  EXPECT_EQ(key.OpenPath(u"HKCU\\Software", 0, kRegRead), KeyOpen::kFailed);
  // The failures left the open key alone.
  EXPECT_EQ(key.FullPath(), u"HKEY_CURRENT_USER\\" + subkey + u"\\");
}

TEST_F(RegistryTest, KeyStackReturnsToTheKeyItCameFrom) {
  RegistryKey key;
  ASSERT_EQ(key.OpenPath(path, 0, kRegReadWrite), KeyOpen::kCreated);
  ASSERT_EQ(key.OpenSubKey(u"Child", 0, kRegReadWrite), KeyOpen::kCreated);
  EXPECT_EQ(key.FullPath(), u"HKEY_CURRENT_USER\\" + subkey + u"\\Child\\");
  ASSERT_TRUE(key.WriteNumber(u"Level", 2, 0));
  EXPECT_TRUE(key.ReturnToPrevious());
  EXPECT_EQ(key.FullPath(), u"HKEY_CURRENT_USER\\" + subkey + u"\\");
  EXPECT_EQ(key.ReadNumber(u"Level", 77), 77u);  // the parent has no such value
  EXPECT_FALSE(key.ReturnToPrevious());
  EXPECT_FALSE(key.IsOpen());

  SetLastError(0);
  EXPECT_EQ(key.OpenSubKey(u"Child", 0, kRegRead), KeyOpen::kFailed);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(RegistryKey::KeyExists(HKEY_CURRENT_USER, subkey + u"\\Child", kRegTestRead));
  EXPECT_FALSE(RegistryKey::KeyExists(HKEY_CURRENT_USER, subkey + u"\\Nope", kRegTestRead));
  EXPECT_FALSE(RegistryKey::KeyExists(HKEY_CURRENT_USER, u"", kRegTestRead));
  EXPECT_EQ(key.OpenPath(path + u"\\Missing", kRegOpenOnly, kRegRead), KeyOpen::kFailed);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryTest, ViewsLandWhereTheSystemPutsThem) {
  const std::u16string name = u"Software\\KsCoreView" + Number(GetCurrentProcessId());
  const std::u16string redirected = u"Software\\Wow6432Node\\KsCoreView" + Number(GetCurrentProcessId());
  {
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, name, kRegView32, kRegWrite), KeyOpen::kCreated);
  }
  EXPECT_TRUE(RegistryKey::KeyExists(HKEY_LOCAL_MACHINE, redirected, kRegTestRead | kRegView64));
  EXPECT_FALSE(RegistryKey::KeyExists(HKEY_LOCAL_MACHINE, name, kRegTestRead | kRegView64));
  {
    RegistryKey key;
    ASSERT_EQ(key.OpenPath(u"\\HKLM\\" + name, kRegView64, kRegWrite), KeyOpen::kCreated);
  }
  EXPECT_TRUE(RegistryKey::KeyExists(HKEY_LOCAL_MACHINE, name, kRegTestRead | kRegView64));
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, W(name), KEY_WOW64_64KEY, 0);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, W(name), KEY_WOW64_32KEY, 0);
  EXPECT_FALSE(RegistryKey::KeyExists(HKEY_LOCAL_MACHINE, redirected, kRegTestRead | kRegView64));
}

TEST_F(RegistryTest, WriteTypesAndDeleteResults) {
  RegistryKey key;
  ASSERT_EQ(key.OpenPath(path, 0, kRegReadWrite), KeyOpen::kCreated);
  ASSERT_TRUE(key.WriteString(u"Wide", u"C:\\\u00c4", 0));
  ASSERT_TRUE(key.WriteString(u"Expand", u"%SystemRoot%", kRegExpandValue));
  ASSERT_TRUE(key.WriteString("Ansi", "plain", 0));
  ASSERT_TRUE(key.WriteString("Blob", std::string("a\0b", 3), kRegBinaryValue));
  ASSERT_TRUE(key.WriteNumber(u"Count", 42, 0));
  ASSERT_TRUE(key.WriteFlag(u"Flag", true));

  DWORD type;
  std::string bytes;
  ASSERT_TRUE(Raw(u"Expand", &type, &bytes));
  EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
  ASSERT_TRUE(Raw(u"Ansi", &type, &bytes));
  EXPECT_EQ(type, DWORD(REG_SZ));
  ASSERT_TRUE(Raw(u"Blob", &type, &bytes));
  EXPECT_EQ(type, DWORD(REG_BINARY));
  EXPECT_EQ(bytes, std::string("a\0b", 3));
  ASSERT_TRUE(Raw(u"Flag", &type, &bytes));
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(bytes, std::string("\1\0\0\0", 4));

  EXPECT_EQ(RegistryKey::ReadString(path + u"\\Wide", u"-"), u"C:\\\u00c4");
  EXPECT_EQ(RegistryKey::ReadString(u"\\hkcu\\" + subkey + u"\\Ansi", u"-"), u"plain");
  EXPECT_EQ(RegistryKey::ReadString(path + u"\\Count", u"-"), u"42");
  EXPECT_EQ(RegistryKey::ReadString(path + u"\\Missing", u"-"), u"-");
  EXPECT_EQ(RegistryKey::ReadString(path + u"\\NoKey\\Value", u"-"), u"-");

  // Deleting: 1 deleted, 2 not there, 3 any other failure.
  EXPECT_EQ(key.DeleteValue(u"Count"), ValueDelete::kDeleted);
  EXPECT_EQ(key.DeleteValue(u"Count"), ValueDelete::kMissing);
  EXPECT_EQ(key.DeleteValue("Ansi"), ValueDelete::kDeleted);
  // An empty text with kRegDeleteIfEmpty removes the value.
  EXPECT_TRUE(key.WriteString(u"Wide", u"", kRegDeleteIfEmpty));
  EXPECT_FALSE(Raw(u"Wide", &type, &bytes));
  EXPECT_TRUE(key.WriteNumber(u"Flag", 0, kRegDeleteIfEmpty));
  EXPECT_FALSE(Raw(u"Flag", &type, &bytes));
  EXPECT_TRUE(key.WriteString(u"Empty", u"", 0));
  ASSERT_TRUE(Raw(u"Empty", &type, &bytes));

  RegistryKey reader;
  ASSERT_EQ(reader.OpenPath(path, kRegOpenOnly, kRegRead), KeyOpen::kOpened);
  SetLastError(0);
  EXPECT_EQ(reader.DeleteValue(u"Expand"), ValueDelete::kFailed);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));

  RegistryKey closed;
  EXPECT_EQ(closed.DeleteValue(u"Expand"), ValueDelete::kMissing);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(closed.WriteNumber(u"X", 1, 0));
}

TEST_F(RegistryTest, ReadsConvertBetweenStoredTypes) {
  RegistryKey key;
  ASSERT_EQ(key.OpenPath(path, 0, kRegReadWrite), KeyOpen::kCreated);
  key.WriteString(u"Decimal", u" 42 ", 0);
  key.WriteString(u"Hex", u"0x10", 0);
  key.WriteString(u"Negative", u"-1", 0);
  key.WriteString(u"Word", u"abc", 0);
  key.WriteString(u"Yes", u"true", 0);
  key.WriteNumber(u"Dword", 7, 0);
  key.WriteString(u"Real", u"2.5", 0);

  EXPECT_EQ(key.ReadNumber(u"Decimal", 0), 42u);
  EXPECT_EQ(key.ReadNumber(u"Hex", 0), 16u);
  EXPECT_EQ(key.ReadNumber(u"Negative", 0), 0xFFFFFFFFu);
  EXPECT_EQ(key.ReadNumber(u"Word", 5), 5u);
  EXPECT_EQ(key.ReadNumber(u"Missing", 9), 9u);
  EXPECT_TRUE(key.ReadFlag(u"Yes", false));
  EXPECT_TRUE(key.ReadFlag(u"Dword", false));
  EXPECT_TRUE(key.ReadFlag(u"Word", true));
  EXPECT_FALSE(key.ReadFlag(u"Word", false));
  EXPECT_DOUBLE_EQ(key.ReadReal(u"Real", 0), 2.5);
  EXPECT_DOUBLE_EQ(key.ReadReal(u"Dword", 0), 7.0);
  EXPECT_DOUBLE_EQ(key.ReadReal(u"Word", -1), -1.0);
}

TEST_F(RegistryTest, RealValuesAreShortDecimalText) {
  struct Case {
    double value;
    const char* text;
  };
  const Case kCases[] = {
      {1.0, "1"},         {1.25, "1.25"},     {-0.0, "0"},          {0.0, "0"},       {100.0, "100"},
      {-2.5, "-2.5"},     {0.1, "0.1"},       {1e-7, "0"},          {-1e-7, "0"},     {1234567.0000004, "1234567"},
      {0.1234567, "0.123457"}, {-1e6, "-1000000"},
  };
  for (const auto& c : kCases) EXPECT_EQ(FormatRegistryReal(c.value), c.text) << c.value;

  RegistryKey key;
  ASSERT_EQ(key.OpenPath(path, 0, kRegReadWrite), KeyOpen::kCreated);
  ASSERT_TRUE(key.WriteReal(u"Scale", 1.250));
  DWORD type;
  std::string bytes;
  ASSERT_TRUE(Raw(u"Scale", &type, &bytes));
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(bytes, std::string("1\0.\0" "2\0" "5\0\0\0", 10));  // read back as UTF-16
  EXPECT_DOUBLE_EQ(key.ReadReal(u"Scale", 0), 1.25);
}

TEST_F(RegistryTest, UserHivesAndEveryUser) {
  std::vector<std::u16string> profiles = RegistryKey::UserHives();
  ASSERT_FALSE(profiles.empty());
  // Without a readable profile list the loaded hives stand in, without the
  // default profile and the class hives.
  std::vector<std::u16string> loaded = RegistryKey::UserHives(L"SOFTWARE\\KsCoreNoSuchProfileList");
  ASSERT_FALSE(loaded.empty());
  for (const auto& name : loaded) {
    EXPECT_FALSE(EqualsNoCase(name, u".DEFAULT"));
    EXPECT_EQ(name.find(u"_Classes"), std::u16string::npos) << Utf16ToUtf8(name);
  }

  int reached = 0;
  EXPECT_TRUE(RegistryKey::ForEveryUser(subkey + u"\\All", 0, kRegReadWrite, [&](RegistryKey& key) {
    ++reached;
    return key.WriteNumber(u"Seen", 1, 0);
  }, L"SOFTWARE\\KsCoreNoSuchProfileList"));
  EXPECT_GE(reached, 1);
  // The current user's hive is one of them.
  EXPECT_EQ(RegistryKey::ReadString(path + u"\\All\\Seen", u"-"), u"1");

  EXPECT_FALSE(RegistryKey::ForEveryUser(subkey + u"\\All", 0, kRegReadWrite, [](RegistryKey&) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  // Open-only: users without the key are skipped, not failed.
  EXPECT_TRUE(RegistryKey::ForEveryUser(subkey + u"\\None", kRegOpenOnly, kRegRead,
                                        [](RegistryKey&) { return false; }, L"SOFTWARE\\KsCoreNoSuchProfileList"));
}

}  // namespace
}  // namespace ks
