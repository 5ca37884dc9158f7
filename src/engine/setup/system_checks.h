// The refusals before any page: bitness, excluded systems, a required
// product, the single-instance mutex. Each refusal ends the run.
#pragma once

namespace ks {

void CheckBitness();
void CheckExcludedSystems();
void CheckRequiredProduct();
void AcquireSingleInstance();

}  // namespace ks
