// The common controls (progress bar, link control) the wizard's templates use.
#pragma once

namespace ks {

// Loads the side-by-side common controls the manifest names and registers
// their classes, once, right before the first dialog or box: a silent run
// that shows none never loads the library. False when they are unavailable.
bool InitCommonControls6();

}  // namespace ks
