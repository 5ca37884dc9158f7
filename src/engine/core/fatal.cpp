// The fatal-error routine and the out-of-memory handler.
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
struct FatalState {
  std::vector<std::function<void()>> handlers;
  std::function<void(const std::u16string&)> sink;
  std::u16string advice = u"Make sure the hard drive is not full.";
  bool in_fatal = false;
};

FatalState& State() {
  static FatalState state;
  return state;
}

void RunGuarded(const std::function<void()>& f) {
  // A handler that throws must not keep the others (or the message) from running.
  try {
    f();
  } catch (...) {
  }
}

}  // namespace

bool AddFatalHandler(std::function<void()> handler) {
  auto& s = State();
  if (s.handlers.size() >= kMaxFatalHandlers) return false;
  s.handlers.push_back(std::move(handler));
  return true;
}

void SetFatalMessageSink(std::function<void(const std::u16string&)> sink) { State().sink = std::move(sink); }

void Fatal(std::u16string_view text) {
  auto& s = State();
  std::u16string message(text.substr(0, kMaxFatalText));
  if (!s.in_fatal) {
    s.in_fatal = true;
    // Newest first; each runs once because we take it out before calling it.
    while (!s.handlers.empty()) {
      auto handler = std::move(s.handlers.back());
      s.handlers.pop_back();
      RunGuarded(handler);
    }
    if (s.sink) {
      auto sink = s.sink;
      RunGuarded([&] { sink(message); });
    }
  }
  ExitProcess(1);
}

void FatalFormat(const char* format, ...) {
  char buffer[kMaxFatalText + 1];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  Fatal(Utf8ToUtf16(buffer));
}

void SetOutOfMemoryAdvice(std::u16string advice) { State().advice = std::move(advice); }

void OutOfMemory(size_t requested) {
  char text[2048];
  int n = snprintf(text, sizeof text, "%s.\r\nAdvice: %s\r\nRequested size = %zu (0x%08zX)\r\n\r\nStack contents:",
                   "Out Of Memory", Utf16ToUtf8(State().advice).c_str(), requested, requested);
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
  for (size_t i = 0; i < words && n > 0 && size_t(n) < sizeof text - 10; ++i)
    n += snprintf(text + n, sizeof text - n, "%s%08X", i % 8 ? " " : "\r\n", stack[i]);
  Fatal(Utf8ToUtf16(text));
}

}  // namespace ks
