// Pure decisions of the installation flow.
#include "portable/install_rules.h"

#include <gtest/gtest.h>

#include "portable/text.h"

namespace ks {
namespace {

TEST(InstallRules, WindowsVersionBits) {
  struct Case { uint32_t platform, major, minor; uint8_t type; uint32_t bit; };
  const Case kCases[] = {
      {0, 3, 1, 1, 0x2},     {1, 4, 0, 1, 0x4},     {1, 4, 10, 1, 0x8},    {1, 4, 90, 1, 0x10},
      {2, 3, 51, 1, 0x20},   {2, 4, 0, 1, 0x40},    {2, 5, 0, 1, 0x80},    {2, 5, 1, 1, 0x100},
      {2, 5, 2, 1, 0x100},   {2, 5, 2, 3, 0x200},   {2, 6, 0, 1, 0x400},   {2, 6, 0, 3, 0x800},
      {2, 6, 1, 3, 0x800},   {2, 6, 1, 1, 0x1000},  {2, 6, 2, 1, 0x2000},  {2, 6, 3, 1, 0x2000},
      {2, 6, 3, 2, 0x4000},  {2, 6, 4, 1, 0x8000},  {2, 10, 0, 1, 0x8000}, {2, 10, 0, 3, 0x10000},
      {2, 11, 0, 1, 0x1},    {7, 1, 0, 1, 0x1},
  };
  for (const auto& c : kCases) {
    OsFacts f;
    f.platform_id = c.platform; f.major = c.major; f.minor = c.minor; f.product_type = c.type;
    EXPECT_EQ(WindowsVersionBit(f), c.bit) << c.platform << " " << c.major << "." << c.minor << " type " << int(c.type);
  }
}

TEST(InstallRules, Classification) {
  EXPECT_EQ(ClassifyInstallation(false, "1.0", "2.0"), kInstallUnknown);
  EXPECT_EQ(ClassifyInstallation(true, "", "2.0"), kInstallUnknown);
  EXPECT_EQ(ClassifyInstallation(true, "2.0", "2"), kInstallSame);
  EXPECT_EQ(ClassifyInstallation(true, "1.9", "1.10"), kInstallUpgrade);
  EXPECT_EQ(ClassifyInstallation(true, "3.0", "2.9.9"), kInstallDowngrade);
}

TEST(InstallRules, RequiredSpaceRoundsEachFileToClusters) {
  const uint32_t sizes[] = {0, 1, 4096, 4097};
  EXPECT_EQ(RequiredSpace(1000, sizes, 4096, 7), 1000u + 0 + 4096 + 4096 + 8192 + 7);
  EXPECT_EQ(RequiredSpace(0, sizes, 0, 0), 0u + 4096 + 4096 + 8192);  // unknown cluster: 4096
  EXPECT_EQ(RequiredSpace(0, sizes, 512, 0), 512u + 4096 + 4608);
}

TEST(InstallRules, InstallDirFromRegistryOnlyForTheTwoRootsAsWritten) {
  const struct {
    const char16_t* dir;
    bool registry;
  } kCases[] = {
      {u"HKLM\\Software\\Maker\\Path", true}, {u"HKCU\\Software\\Maker\\Path", true},
      {u"hklm\\Software\\Maker\\Path", false},  // the engine names the roots by exactly these prefixes
      {u"HKCR\\x\\y", false},                   {u"HKLM", false},
      {u"%ProgramFiles%\\Maker", false},        {u"", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(InstallDirFromRegistry(c.dir), c.registry) << Utf16ToUtf8(c.dir);
}

}  // namespace
}  // namespace ks
