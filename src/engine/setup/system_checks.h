// The refusals before any page: bitness, excluded systems, a required
// product, the single-instance mutex. Each refusal ends the run.
#pragma once

namespace ks {

void CheckBitness();
void CheckExcludedSystems();
void CheckRequiredProduct();
void AcquireSingleInstance();

// The system's uninstall key, where products register.
inline constexpr char16_t kUninstallKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

}  // namespace ks
