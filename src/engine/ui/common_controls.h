// The common controls (progress bar, link control) the wizard's templates use.
#pragma once

namespace ks {

// Loads the side-by-side common controls the manifest names and registers
// their classes; false when they are unavailable.
bool InitCommonControls6();

}  // namespace ks
