// The naming rule for the operating system ("Windows 7 Professional x64
// Service Pack 1") from the facts the system reports; no system calls here.
#pragma once
#include <cstdint>
#include <string>

namespace ks {

struct OsFacts {
  uint32_t platform_id = 2;  // 0 Win32s, 1 Windows 9x, 2 NT
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint8_t product_type = 1;  // 1 workstation, 2 domain controller, 3 server
  uint16_t suite_mask = 0;
  uint32_t edition = 0;      // GetProductInfo's product type (from 6.0 on)
  bool is_64bit = false;
  bool r2 = false;           // SM_SERVERR2
  bool media_center = false; // SM_MEDIACENTER
  bool starter = false;      // SM_STARTER
  bool tablet_pc = false;    // SM_TABLETPC
  bool wine = false;         // Wine: reports a Windows version, lacks parts of its shell
  std::u16string service_pack;
};

// OperatingSystemName flags.
enum : unsigned {
  kOsNoServicePack = 0x1,
  kOsShort = 0x2,  // without edition texts
};

// Suite bits the rule looks at (the system's VER_SUITE_* values).
enum : uint16_t {
  kSuiteEnterprise = 0x0002,
  kSuiteEmbeddedNt = 0x0040,
  kSuiteDatacenter = 0x0080,
  kSuiteBlade = 0x0400,  // Web edition
  kSuiteStorageServer = 0x2000,
  kSuiteComputeServer = 0x4000,
};

std::u16string OsNameFromFacts(const OsFacts& facts, unsigned flags);
// The edition text of a GetProductInfo product type, or "" for an unknown one.
const char* EditionText(uint32_t product);

}  // namespace ks
