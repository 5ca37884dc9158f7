// The fatal-error routine: runs the registered handlers (newest first, each
// once), shows the text once and ends the process with exit code 1.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace ks {

constexpr size_t kMaxFatalText = 4095;
constexpr size_t kMaxFatalHandlers = 100;

// Handlers run before the text is shown; a failing handler does not stop the
// others. Returns false when the table is full.
bool AddFatalHandler(std::function<void()> handler);
// How the text reaches the user; start-up installs the "Error" message box.
void SetFatalMessageSink(std::function<void(const std::u16string&)> sink);

[[noreturn]] void Fatal(std::u16string_view text);
// printf-style formatting of 8-bit arguments; the result is taken as UTF-8.
[[noreturn]] void FatalFormat(const char* format, ...);

// The allocation-failure handler: "Out Of Memory" with the advice text, the
// requested size and 80 stack words, then Fatal. The engine's operator new
// calls it, so no allocation failure goes unreported.
void SetOutOfMemoryAdvice(std::u16string advice);
[[noreturn]] void OutOfMemory(size_t requested);

}  // namespace ks
