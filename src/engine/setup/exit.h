// The orderly exit every ordinary end of a run goes through, and where an
// unattended run's error text goes when nobody may be asked.
#pragma once
#include <string>

#include "core/fatal.h"

namespace ks {

// Lets waiting window messages through, then ends the process through the
// exit steps that start-up registered (core/fatal.h), with the run's failures
// and pending restart counted into the exit code.
[[noreturn]] void OrderlyExit(ExitCode code);

// The file in the temporary folder that a silent run with the deployment exit
// codes writes its error text to instead of showing a message box.
std::u16string UnattendedErrorPath();
// Appends `text` (and a line break) to that file, UTF-8.
void WriteUnattendedError(const std::u16string& text);

}  // namespace ks
