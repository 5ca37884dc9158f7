// The orderly exit every ordinary end of a run goes through.
#pragma once
#include "core/fatal.h"

namespace ks {

// Lets waiting window messages through, then ends the process through the
// exit steps that start-up registered (core/fatal.h).
[[noreturn]] void OrderlyExit(ExitCode code);

}  // namespace ks
