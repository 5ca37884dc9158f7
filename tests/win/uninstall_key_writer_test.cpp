// The uninstall key's writer against the real registry: sub-keys on the way,
// removal instead of empty values, failures reported by name, and the stop at
// a value of unknown type.
#include "setup/uninstall_key_writer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/wide.h"

namespace ks {
namespace {

UninstallKeyValue Value(std::u16string subkey, std::u16string name, KeyValueKind kind, std::u16string text = {},
                        uint32_t number = 0, bool remove = false) {
  UninstallKeyValue v;
  v.subkey = std::move(subkey);
  v.name = std::move(name);
  v.kind = kind;
  v.text16 = std::move(text);
  v.text8 = "eight";
  v.number = number;
  v.remove = remove;
  return v;
}

class KeyWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, W(subkey)); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, W(subkey)); }
  // The stored type and text (or number) of a value; type 0 when it is missing.
  std::pair<DWORD, std::u16string> Stored(const std::u16string& below, const char16_t* name) {
    union {
      wchar_t text[256];
      DWORD number;
    } data = {};
    DWORD size = sizeof data, type = 0;
    std::u16string key = below.empty() ? subkey : subkey + u"\\" + below;
    if (RegGetValueW(HKEY_CURRENT_USER, W(key), W(std::u16string(name)), RRF_RT_ANY | RRF_NOEXPAND, &type, &data,
                     &size) != ERROR_SUCCESS)
      return {0, {}};
    if (type == REG_DWORD) {
      std::string n = std::to_string(data.number);
      return {type, std::u16string(n.begin(), n.end())};
    }
    return {type, U16(data.text)};
  }
  std::u16string subkey = u"Software\\KsKeyWriterTest\\" + std::u16string(u"k");
};

TEST_F(KeyWriterTest, WritesTypesSubKeysAndRemovals) {
  RegistryKey key;
  ASSERT_TRUE(Opened(key.Open(HKEY_CURRENT_USER, subkey, kRegNoStack, KEY_ALL_ACCESS)));
  ASSERT_TRUE(key.WriteString(u"Old", u"left by an earlier run", kRegWideText));
  std::vector<std::u16string> failures;
  auto failed = [&](const std::u16string& name, DWORD) { failures.push_back(name); };
  std::vector<UninstallKeyValue> values = {
      Value(u"", u"Wide", KeyValueKind::kText16, u"w\u00e9"),
      Value(u"", u"Narrow", KeyValueKind::kText8),
      Value(u"A\\B", u"Expand", KeyValueKind::kExpand16, u"%TEMP%"),
      Value(u"", u"Count", KeyValueKind::kNumber, {}, 7),
      Value(u"", u"Old", KeyValueKind::kNumber, {}, 0, true),
      Value(u"", u"Never", KeyValueKind::kText16, {}, 0, true),  // removing what is not there is no failure
      Value(u"", u"After", KeyValueKind::kText16, u"still in the key"),
  };
  EXPECT_TRUE(WriteKeyValues(key, values, 0, failed));
  EXPECT_EQ(failures, std::vector<std::u16string>{});
  EXPECT_EQ(Stored(u"", u"Wide"), std::pair(DWORD(REG_SZ), std::u16string(u"w\u00e9")));
  EXPECT_EQ(Stored(u"", u"Narrow"), std::pair(DWORD(REG_SZ), std::u16string(u"eight")));
  EXPECT_EQ(Stored(u"A\\B", u"Expand"), std::pair(DWORD(REG_EXPAND_SZ), std::u16string(u"%TEMP%")));
  EXPECT_EQ(Stored(u"", u"Count"), std::pair(DWORD(REG_DWORD), std::u16string(u"7")));
  EXPECT_EQ(Stored(u"", u"Old").first, 0u);
  // The writer came back to the key itself after the sub-key.
  EXPECT_EQ(Stored(u"", u"After").second, u"still in the key");
}

TEST_F(KeyWriterTest, FailuresAreNamedAndAnUnknownTypeStops) {
  RegistryKey key;
  ASSERT_TRUE(Opened(key.Open(HKEY_CURRENT_USER, subkey, kRegNoStack, KEY_ALL_ACCESS)));
  key.Close();
  // Opened for reading only: the writes fail.
  ASSERT_TRUE(Opened(key.Open(HKEY_CURRENT_USER, subkey, kRegNoStack | kRegOpenOnly, KEY_READ)));
  std::vector<std::pair<std::u16string, DWORD>> failures;
  auto failed = [&](const std::u16string& name, DWORD error) { failures.emplace_back(name, error); };
  std::vector<UninstallKeyValue> values = {
      Value(u"", u"Denied", KeyValueKind::kText16, u"x"),
      // No key name is that long: the sub-key cannot be made.
      Value(std::u16string(300, u'k'), u"Deeper", KeyValueKind::kNumber, {}, 1),
      Value(u"", u"Bad", KeyValueKind::kUnknown),
      Value(u"", u"NeverReached", KeyValueKind::kText16, u"x"),
  };
  EXPECT_FALSE(WriteKeyValues(key, values, 0, failed));
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0], std::pair(std::u16string(u"Denied"), DWORD(ERROR_ACCESS_DENIED)));
  EXPECT_EQ(failures[1].first, std::u16string(300, u'k') + u"\\Deeper");
  EXPECT_NE(failures[1].second, DWORD(ERROR_SUCCESS));
}

}  // namespace
}  // namespace ks
