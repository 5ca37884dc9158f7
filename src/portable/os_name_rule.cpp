// OsNameFromFacts and the edition table.
#include "portable/os_name_rule.h"

#include "portable/text.h"

namespace ks {
namespace {

constexpr uint8_t kWorkstation = 1;

struct Edition {
  uint32_t product;
  const char* text;
};

// GetProductInfo's PRODUCT_* values.
constexpr Edition kEditions[] = {
    {1, " Ultimate"},
    {2, " Home Basic"},
    {3, " Home Premium"},
    {4, " Enterprise"},
    {5, " Home Basic N"},
    {6, " Business"},
    {7, " Server Standard"},
    {8, " Datacenter"},
    {9, " Small Business Server"},
    {10, " Enterprise"},
    {11, " Starter"},
    {12, " Datacenter (core)"},
    {13, " Server Standard (core)"},
    {14, " Enterprise (core)"},
    {15, " Enterprise for Itanium"},
    {16, " Business N"},
    {17, " Web Server"},
    {18, " Cluster Server"},
    {20, " Storage Server Express"},
    {21, " Storage Server Standard"},
    {22, " Storage Server Workgroup"},
    {23, " Storage Server Enterprise"},
    {24, " for Windows Essential Server Solutions"},
    {25, " Small Business Server Premium"},
    {26, " Home Premium N"},
    {27, " Enterprise N"},
    {28, " Ultimate N"},
    {29, " Web Server (core)"},
    {30, " Essential Business Server Management Server"},
    {31, " Essential Business Server Security Server"},
    {32, " Essential Business Server Messaging Server"},
    {33, " Server Foundation"},
    {35, " for Windows Essential Server Solutions (without Hyper-V)"},
    {36, " Server Standard (without Hyper-V)"},
    {37, " Server Datacenter (without Hyper-V)"},
    {38, " Server Enterprise (without Hyper-V)"},
    {39, " Server Datacenter (without Hyper-V) (core)"},
    {40, " Server Standard (without Hyper-V) (core)"},
    {41, " Server Enterprise (without Hyper-V) (core)"},
    {42, " Hyper-V Server"},
    {43, " Storage Server Express (core)"},
    {44, " Storage Server Standard (core)"},
    {45, " Storage Server Workgroup (core)"},
    {46, " Storage Server Enterprise (core)"},
    {47, " Starter N"},
    {48, " Professional"},
    {49, " Professional N"},
    {56, " MultiPoint Server"},
    {57, " MultiPoint Server (core)"},
    {63, " Small Business Server Premium (core)"},
    {64, " Cluster Server (without Hyper-V)"},
};

std::string Numbers(const char* prefix, uint32_t a, uint32_t b) {
  return prefix + std::to_string(a) + "." + std::to_string(b);
}

std::string Nt5Name(const OsFacts& f, bool full) {
  bool workstation = f.product_type == kWorkstation;
  if (f.minor == 0) {
    std::string name = "2000";
    if (!full) return name;
    if (workstation) return name + " Professional";
    if (f.suite_mask & kSuiteDatacenter) return name + " Datacenter Server";
    if (f.suite_mask & kSuiteEnterprise) return name + " Advanced Server";
    return name + " Server";
  }
  if (f.minor == 1) {
    std::string name = "XP";
    if (!full) return name;
    if (f.suite_mask & kSuiteEmbeddedNt) return name + " Embedded";
    if (f.media_center) return name + " Media Center";
    if (f.starter) return name + " Starter";
    if (f.tablet_pc) return name + " Tablet PC";
    return name;
  }
  if (f.minor == 2) {
    // 5.2 on a workstation is only ever the 64-bit XP.
    if (workstation && f.is_64bit) return full ? "XP Professional" : "XP";
    std::string name = (f.suite_mask & kSuiteStorageServer) ? "Storage Server 2003" : "Server 2003";
    if (f.r2) name += " R2";
    if (!full) return name;
    if (f.suite_mask & kSuiteEnterprise) return name + " Enterprise";
    if (f.suite_mask & kSuiteDatacenter) return name + " Datacenter";
    if (f.suite_mask & kSuiteBlade) return name + " Web";
    if (f.suite_mask & kSuiteComputeServer) return name + " Compute Cluster";
    return name;
  }
  return "NT 5." + std::to_string(f.minor);
}

std::string Nt6Name(const OsFacts& f) {
  static const char* const kWorkstationNames[] = {"Vista", "7", "8", "8.1"};
  static const char* const kServerNames[] = {"Server 2008", "Server 2008 R2", "Server 2012", "Server 2012 R2"};
  if (f.minor <= 3) return (f.product_type == kWorkstation ? kWorkstationNames : kServerNames)[f.minor];
  if (f.minor == 4) return "10 alpha";
  return "NT 6." + std::to_string(f.minor);
}

std::string VersionName(const OsFacts& f, bool full) {
  switch (f.platform_id) {
    case 0:
      return Numbers("", f.major, f.minor);
    case 1:
      if (f.major == 4 && f.minor == 0) return f.build == 1111 ? "95 OSR2" : "95";
      if (f.major == 4 && f.minor == 10) return f.build == 2222 ? "98 SE" : "98";
      if (f.major == 4 && f.minor >= 90) return "ME";
      return Numbers("9x ", f.major, f.minor);
    case 2:
      if (f.major == 5) return Nt5Name(f, full);
      if (f.major == 6) return Nt6Name(f);
      if (f.major == 10) return f.product_type == kWorkstation ? "10" : "Server 2016";
      return Numbers("NT ", f.major, f.minor);
    default:
      return {};
  }
}

}  // namespace

const char* EditionText(uint32_t product) {
  for (const auto& e : kEditions)
    if (e.product == product) return e.text;
  return "";
}

std::u16string OsNameFromFacts(const OsFacts& facts, unsigned flags) {
  const bool full = !(flags & kOsShort);
  std::string name = "Windows " + VersionName(facts, full);
  if (full && facts.platform_id == 2 && facts.major >= 6) name += EditionText(facts.edition);
  if (facts.is_64bit) name += " x64";
  std::u16string result = Widen(name);
  if (!(flags & kOsNoServicePack) && !facts.service_pack.empty()) result += u" " + facts.service_pack;
  while (!result.empty() && (result.back() == u' ' || result.back() == u'\t' || result.back() == u'\r' ||
                             result.back() == u'\n'))
    result.pop_back();
  return result;
}

}  // namespace ks
