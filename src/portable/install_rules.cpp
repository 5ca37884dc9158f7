// Pure decisions of the installation flow.
#include "install_rules.h"

#include "version.h"

namespace ks {

uint32_t WindowsVersionBit(const OsFacts& f) {
  bool server = f.product_type != 1;
  switch (f.platform_id) {
    case 0: return 0x2;  // Win32s
    case 1:
      if (f.minor <= 9) return 0x4;
      if (f.minor < 90) return 0x8;
      return 0x10;
    case 2: break;
    default: return 0x1;
  }
  switch (f.major) {
    case 3: return 0x20;
    case 4: return 0x40;
    case 5:
      if (f.minor == 0) return 0x80;
      if (f.minor == 1) return 0x100;
      if (f.minor == 2) return server ? 0x200 : 0x100;  // 64-bit XP is 5.2 workstation
      return 0x1;
    case 6:
      switch (f.minor) {
        case 0: return server ? 0x800 : 0x400;
        case 1: return server ? 0x800 : 0x1000;
        case 2:
        case 3: return server ? 0x4000 : 0x2000;
        case 4: return 0x8000;
        default: return 0x1;
      }
    case 10: return server ? 0x10000 : 0x8000;
    default: return 0x1;
  }
}

InstallType ClassifyInstallation(bool compare_versions, std::string_view old_version, std::string_view new_version) {
  if (!compare_versions || old_version.empty() || new_version.empty()) return kInstallUnknown;
  int c = CompareVersions(old_version, new_version);
  return c == 0 ? kInstallSame : c < 0 ? kInstallUpgrade : kInstallDowngrade;
}

uint64_t RequiredSpace(uint64_t uninstaller_size, std::span<const uint32_t> file_sizes, uint32_t cluster_size,
                       uint64_t extra_space) {
  uint64_t cluster = cluster_size ? cluster_size : 4096;
  uint64_t total = uninstaller_size + extra_space;
  for (uint32_t size : file_sizes) total += (uint64_t(size) + cluster - 1) / cluster * cluster;
  return total;
}

bool InstallDirFromRegistry(std::u16string_view dir) {
  return dir.substr(0, 5) == u"HKLM\\" || dir.substr(0, 5) == u"HKCU\\";
}

}  // namespace ks
