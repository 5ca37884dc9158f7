// The end of the process: exit steps, the fatal-error routine and the
// out-of-memory handler.
#include "core/fatal.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "core/wide.h"
#include "portable/text.h"

namespace ks {
namespace {

// Process-wide by nature: the routine must work from anywhere, at any time.
struct EndState {
  EndState() {
    steps.reserve(kMaxExitSteps);
    // Reserved now: the fatal text of an exhausted heap must not need memory.
    message.reserve(kMaxFatalText);
  }
  std::vector<std::function<void()>> steps;
  std::function<void(const std::u16string&)> sink;
  std::u16string advice = u"Make sure the hard drive is not full.";
  std::u16string message;
  bool in_fatal = false;
  bool out_of_memory = false;
  ExitFacts facts;
};

EndState& State() {
  static EndState state;
  return state;
}

[[noreturn]] void Exit(ExitCode code) { ExitProcess(ProcessExitCode(code, State().facts)); }

// The engine does not throw (allocation failure ends in OutOfMemory, which
// comes back here), so a step simply runs.
void RunGuarded(const std::function<void()>& f) { f(); }

// The one place the exit steps run, for every end. A step that ends the
// process itself comes back here and the steps not yet run follow.
void RunExitSteps() {
  auto& s = State();
  // Newest first; each runs once because we take it out before calling it.
  while (!s.steps.empty()) {
    auto step = std::move(s.steps.back());
    s.steps.pop_back();
    RunGuarded(step);
  }
}

}  // namespace

bool AddExitStep(std::function<void()> step) {
  auto& s = State();
  if (s.steps.size() >= kMaxExitSteps) return false;
  s.steps.push_back(std::move(step));
  return true;
}

void EndProcess(ExitCode code) {
  RunExitSteps();
  Exit(code);
}

ExitFacts& ProcessExitFacts() { return State().facts; }

unsigned ExitCodeFor(ExitCode code) { return ProcessExitCode(code, State().facts); }

void SetFatalMessageSink(std::function<void(const std::u16string&)> sink) { State().sink = std::move(sink); }

void Fatal(std::u16string_view text) {
  auto& s = State();
  if (!s.in_fatal) {
    s.in_fatal = true;
    s.message.assign(text.substr(0, kMaxFatalText));
    RunExitSteps();
    if (s.sink) RunGuarded([&] { s.sink(s.message); });
  }
  Exit(ExitCode::kFatal);
}

void FatalFormat(const char* format, ...) {
  // The system's own formatter: the engine's messages use only %s and %d,
  // and the C library's full printf would cost the engine tens of kilobytes.
  char buffer[kMaxFatalText + 1];
  va_list args;
  va_start(args, format);
  _vsnprintf(buffer, kMaxFatalText, format, args);
  va_end(args);
  buffer[kMaxFatalText] = '\0';
  Fatal(Utf8ToUtf16(buffer));
}

void SetOutOfMemoryAdvice(std::u16string advice) { State().advice = std::move(advice); }

void OutOfMemory(size_t requested) {
  auto& s = State();
  // Reporting may itself ask for memory (a step, the message box): give up then.
  if (s.out_of_memory) Exit(ExitCode::kFatal);
  s.out_of_memory = true;

  // Built in a fixed buffer: the heap is what ran out.
  static char16_t text[kMaxFatalText + 1];
  size_t n = 0;
  auto put = [&](std::u16string_view part) {
    for (char16_t c : part)
      if (n < kMaxFatalText) text[n++] = c;
  };
  auto put8 = [&](const char* part) {
    for (; *part; ++part)
      if (n < kMaxFatalText) text[n++] = char16_t(static_cast<unsigned char>(*part));
  };
  char number[64];
  put(u"Out Of Memory.\r\nAdvice: ");
  put(s.advice);
  _snprintf(number, sizeof number, "\r\nRequested size = %u (0x%08X)\r\n\r\nStack contents:", requested, requested);
  put8(number);
  // Eighty words of our own stack, as the report has always shown them.
  volatile uint32_t marker = 0;
  const uint32_t* stack = const_cast<const uint32_t*>(&marker);
  MEMORY_BASIC_INFORMATION mbi{};
  size_t words = 80;
  if (VirtualQuery(stack, &mbi, sizeof mbi)) {
    auto end = reinterpret_cast<const uint8_t*>(mbi.BaseAddress) + mbi.RegionSize;
    size_t avail = (end - reinterpret_cast<const uint8_t*>(stack)) / 4;
    if (avail < words) words = avail;
  }
  for (size_t i = 0; i < words; ++i) {
    _snprintf(number, sizeof number, "%s%08X", i % 8 ? " " : "\r\n", stack[i]);
    put8(number);
  }
  Fatal(std::u16string_view(text, n));
}

}  // namespace ks
