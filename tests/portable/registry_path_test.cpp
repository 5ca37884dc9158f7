// The one parser of registry path texts, in the engine's form and as written
// in a project.
#include <gtest/gtest.h>

#include "portable/registry_path.h"
#include "portable/text.h"

namespace ks {
namespace {

struct PathCase {
  const char16_t* text;
  bool parses;
  RegistryRootId root;
  const char16_t* rest;
};

template <size_t N>
void ExpectSplits(const PathCase (&cases)[N], std::optional<RegistryPathParts> (*split)(std::u16string_view)) {
  for (const PathCase& c : cases) {
    auto parts = split(c.text);
    ASSERT_EQ(parts.has_value(), c.parses) << Utf16ToUtf8(c.text);
    if (!c.parses) continue;
    EXPECT_EQ(parts->root, c.root) << Utf16ToUtf8(c.text);
    EXPECT_EQ(std::u16string(parts->rest), c.rest) << Utf16ToUtf8(c.text);
  }
}

TEST(RegistryPath, EngineForm) {
  const PathCase kCases[] = {
      {u"\\HKLM\\Software\\Maker", true, RegistryRootId::kLocalMachine, u"Software\\Maker"},
      {u"\\hkcu\\Software", true, RegistryRootId::kCurrentUser, u"Software"},
      {u"\\HKU\\.DEFAULT\\X", true, RegistryRootId::kUsers, u".DEFAULT\\X"},
      {u"\\HKDD\\", true, RegistryRootId::kDynData, u""},
      // The name run straight into the rest is read only after every full
      // prefix: "\HKUSoftware" is HKU's "Software", "\HKCUX" is HKCU's "X".
      {u"\\HKLMSoftware", true, RegistryRootId::kLocalMachine, u"Software"},
      {u"\\HKCUX", true, RegistryRootId::kCurrentUser, u"X"},
      {u"\\HKUSoftware", true, RegistryRootId::kUsers, u"Software"},
      {u"HKLM\\Software", false, {}, nullptr},  // the leading backslash is part of the form
      {u"\\HKEY_LOCAL_MACHINE\\Software", false, {}, nullptr},
      {u"\\HKXX\\Software", false, {}, nullptr},
      {u"", false, {}, nullptr},
  };
  ExpectSplits(kCases, SplitRegistryPath);
}

TEST(RegistryPath, WrittenForm) {
  const PathCase kCases[] = {
      {u"HKLM\\Software\\Maker\\Value", true, RegistryRootId::kLocalMachine, u"Software\\Maker\\Value"},
      {u"\\HKLM\\Software", true, RegistryRootId::kLocalMachine, u"Software"},
      {u"hkey_current_user\\Software", true, RegistryRootId::kCurrentUser, u"Software"},
      {u"HKEY_CLASSES_ROOT\\.txt", true, RegistryRootId::kClassesRoot, u".txt"},
      {u"HKCC\\", true, RegistryRootId::kCurrentConfig, u""},
      {u"HKLMSoftware", false, {}, nullptr},  // no separator after the name
      {u"HKLM", false, {}, nullptr},
      {u"HKEY_LOCAL\\Software", false, {}, nullptr},
      {u"C:\\Program Files", false, {}, nullptr},
  };
  ExpectSplits(kCases, SplitWrittenRegistryPath);
  EXPECT_EQ(RootName(RegistryRootId::kUsers).long_name, "HKEY_USERS");
  EXPECT_EQ(RootName(RegistryRootId::kCurrentConfig).short_name, "HKCC");
}

}  // namespace
}  // namespace ks
