// Pure decisions of the installation flow: which Windows-version bit the
// running system has, how an earlier installation is classified, how much
// space the product needs.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "os_name_rule.h"

namespace ks {

// The bit of ExcludedSystems that names the running system.
uint32_t WindowsVersionBit(const OsFacts& facts);

// InstallType: 3 unknown (or no comparison asked), 4 same version, 5 upgrade
// (old version lower), 6 downgrade (old version higher).
enum InstallType : int { kInstallUnknown = 3, kInstallSame = 4, kInstallUpgrade = 5, kInstallDowngrade = 6 };
InstallType ClassifyInstallation(bool compare_versions, std::string_view old_version, std::string_view new_version);

// Uninstaller size + each file rounded up to the cluster (4096 when unknown)
// + the extra space of the settings.
uint64_t RequiredSpace(uint64_t uninstaller_size, std::span<const uint32_t> file_sizes, uint32_t cluster_size,
                       uint64_t extra_space);

// A DefaultInstallDir of "HKLM\..." or "HKCU\..." names the registry value
// that holds the folder, and no folder page is shown.
bool InstallDirFromRegistry(std::u16string_view default_install_dir);

}  // namespace ks
