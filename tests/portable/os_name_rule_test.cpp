// The operating-system naming rule over a table of reported facts.
#include "portable/os_name_rule.h"

#include <gtest/gtest.h>

#include "portable/text.h"

namespace ks {
namespace {

OsFacts Nt(uint32_t major, uint32_t minor, uint8_t type = 1, uint32_t edition = 0) {
  OsFacts f;
  f.platform_id = 2;
  f.major = major;
  f.minor = minor;
  f.product_type = type;
  f.edition = edition;
  return f;
}

OsFacts With(OsFacts f, void (*change)(OsFacts&)) {
  change(f);
  return f;
}

struct NameCase {
  OsFacts facts;
  unsigned flags;
  const char* expected;
};

TEST(OsNameRule, NamesEveryFamilyAndEdition) {
  const NameCase kCases[] = {
      {With(Nt(4, 0), [](OsFacts& f) { f.platform_id = 1; }), 0, "Windows 95"},
      {With(Nt(4, 0), [](OsFacts& f) { f.platform_id = 1, f.build = 1111; }), 0, "Windows 95 OSR2"},
      {With(Nt(4, 10), [](OsFacts& f) { f.platform_id = 1, f.build = 2222; }), 0, "Windows 98 SE"},
      {With(Nt(4, 10), [](OsFacts& f) { f.platform_id = 1, f.build = 1998; }), 0, "Windows 98"},
      {With(Nt(4, 90), [](OsFacts& f) { f.platform_id = 1; }), 0, "Windows ME"},
      {With(Nt(3, 95), [](OsFacts& f) { f.platform_id = 1; }), 0, "Windows 9x 3.95"},
      {With(Nt(3, 11), [](OsFacts& f) { f.platform_id = 0; }), 0, "Windows 3.11"},
      {With(Nt(6, 1), [](OsFacts& f) { f.platform_id = 3; }), 0, "Windows"},
      {Nt(4, 0), 0, "Windows NT 4.0"},
      {Nt(5, 0), 0, "Windows 2000 Professional"},
      {Nt(5, 0, 3), 0, "Windows 2000 Server"},
      {With(Nt(5, 0, 3), [](OsFacts& f) { f.suite_mask = kSuiteEnterprise; }), 0, "Windows 2000 Advanced Server"},
      {With(Nt(5, 0, 2), [](OsFacts& f) { f.suite_mask = kSuiteDatacenter; }), 0, "Windows 2000 Datacenter Server"},
      {Nt(5, 0, 3), kOsShort, "Windows 2000"},
      {Nt(5, 1), 0, "Windows XP"},
      {With(Nt(5, 1), [](OsFacts& f) { f.suite_mask = kSuiteEmbeddedNt; }), 0, "Windows XP Embedded"},
      {With(Nt(5, 1), [](OsFacts& f) { f.media_center = true; }), 0, "Windows XP Media Center"},
      {With(Nt(5, 1), [](OsFacts& f) { f.starter = true; }), 0, "Windows XP Starter"},
      {With(Nt(5, 1), [](OsFacts& f) { f.tablet_pc = true; }), kOsShort, "Windows XP"},
      {With(Nt(5, 2), [](OsFacts& f) { f.is_64bit = true; }), 0, "Windows XP Professional x64"},
      {With(Nt(5, 2), [](OsFacts& f) { f.is_64bit = true; }), kOsShort, "Windows XP x64"},
      {With(Nt(5, 2, 3), [](OsFacts& f) { f.r2 = true, f.suite_mask = kSuiteEnterprise; }), 0,
       "Windows Server 2003 R2 Enterprise"},
      {With(Nt(5, 2, 3), [](OsFacts& f) { f.suite_mask = kSuiteStorageServer; }), 0, "Windows Storage Server 2003"},
      {With(Nt(5, 2, 3), [](OsFacts& f) { f.suite_mask = kSuiteBlade; }), 0, "Windows Server 2003 Web"},
      {With(Nt(5, 2, 3), [](OsFacts& f) { f.suite_mask = kSuiteComputeServer; }), 0,
       "Windows Server 2003 Compute Cluster"},
      {Nt(5, 3), 0, "Windows NT 5.3"},
      {Nt(6, 0, 1, 1), 0, "Windows Vista Ultimate"},
      {Nt(6, 1, 1, 48), 0, "Windows 7 Professional"},
      {Nt(6, 1, 1, 48), kOsShort, "Windows 7"},
      {Nt(6, 1, 3, 7), 0, "Windows Server 2008 R2 Server Standard"},
      {Nt(6, 2), 0, "Windows 8"},
      {Nt(6, 3, 1, 10), 0, "Windows 8.1 Enterprise"},
      {Nt(6, 3, 2), 0, "Windows Server 2012 R2"},
      {Nt(6, 0, 3, 64), 0, "Windows Server 2008 Cluster Server (without Hyper-V)"},
      {Nt(6, 4), 0, "Windows 10 alpha"},
      {Nt(6, 9), 0, "Windows NT 6.9"},
      {Nt(10, 0, 1, 4), 0, "Windows 10 Enterprise"},
      {Nt(10, 0, 3, 999), 0, "Windows Server 2016"},
      {Nt(11, 2), 0, "Windows NT 11.2"},
  };
  for (const auto& c : kCases) EXPECT_EQ(Utf16ToUtf8(OsNameFromFacts(c.facts, c.flags)), c.expected) << c.expected;
}

TEST(OsNameRule, EditionTableHasGapsWhereTheSystemHasNoName) {
  EXPECT_STREQ(EditionText(19), "");
  EXPECT_STREQ(EditionText(34), "");
  EXPECT_STREQ(EditionText(50), "");
  EXPECT_STREQ(EditionText(63), " Small Business Server Premium (core)");
  EXPECT_STREQ(EditionText(0), "");
}

TEST(OsNameRule, BitnessAndServicePackComeLast) {
  OsFacts f = Nt(6, 1, 1, 3);
  f.is_64bit = true;
  f.service_pack = u"Service Pack 1 ";
  EXPECT_EQ(OsNameFromFacts(f, 0), u"Windows 7 Home Premium x64 Service Pack 1");
  EXPECT_EQ(OsNameFromFacts(f, kOsNoServicePack), u"Windows 7 Home Premium x64");
  EXPECT_EQ(OsNameFromFacts(f, kOsNoServicePack | kOsShort), u"Windows 7 x64");
  f.service_pack = u"";
  EXPECT_EQ(OsNameFromFacts(f, 0), u"Windows 7 Home Premium x64");
}

}  // namespace
}  // namespace ks
