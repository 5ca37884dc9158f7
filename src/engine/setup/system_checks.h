// The refusals before any page: bitness, excluded systems, a required
// product, the single-instance mutex. Each refusal ends the run.
#pragma once

namespace ks {

struct InstallRun;

void CheckBitness(InstallRun& run);
void CheckExcludedSystems(InstallRun& run);
// With "<master>", the required product's folder becomes the run's DefaultInstallDir.
void CheckRequiredProduct(InstallRun& run);
void AcquireSingleInstance(InstallRun& run);

}  // namespace ks
