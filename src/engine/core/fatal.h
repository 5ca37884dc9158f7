// The end of the process: the exit steps every end runs (orderly or fatal),
// the fatal-error routine and the out-of-memory handler.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "portable/exit_codes.h"

namespace ks {

constexpr size_t kMaxFatalText = 4095;
constexpr size_t kMaxExitSteps = 100;

// A step every end of the process runs before it goes (the temporary log's
// removal, OLE). Steps run newest first, each once; a failing step does not
// stop the others. Returns false when the table is full.
bool AddExitStep(std::function<void()> step);
// Runs the exit steps and ends the process with the exit code of `code`.
[[noreturn]] void EndProcess(ExitCode code);
// What decides the exit code besides how the run ended (the code set, a
// pending restart, failures); filled in by the run as it learns it.
ExitFacts& ProcessExitFacts();
// The process exit code for `code` with the facts as they stand.
unsigned ExitCodeFor(ExitCode code);

// How a fatal text reaches the user; start-up installs the "Error" message box.
void SetFatalMessageSink(std::function<void(const std::u16string&)> sink);
// Runs the exit steps, shows the text (at most kMaxFatalText characters) once
// and ends the process with ExitCode::kFatal.
[[noreturn]] void Fatal(std::u16string_view text);
// printf-style formatting of 8-bit arguments; the result is taken as UTF-8.
[[noreturn]] void FatalFormat(const char* format, ...);

// The allocation-failure handler: "Out Of Memory" with the advice text, the
// requested size and 80 stack words, then Fatal. The engine's operator new
// calls it, so no allocation failure goes unreported. It allocates nothing
// itself; an allocation failing while it reports ends the process at once.
void SetOutOfMemoryAdvice(std::u16string advice);
[[noreturn]] void OutOfMemory(size_t requested);

}  // namespace ks
