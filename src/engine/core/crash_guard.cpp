// CallGuarded: a frame-based handler on the 32-bit exception chain (fs:[0]),
// left with __builtin_longjmp; gcc has no __try.
#include "core/crash_guard.h"

#include <cstdint>

namespace ks {

#if defined(__i386__)
namespace {

// The record the system walks; `next` and `handler` must come first.
struct GuardFrame {
  GuardFrame* next;
  void* handler;
  void* jump[5];  // __builtin_setjmp buffer
  volatile DWORD code;
};

GuardFrame* ChainHead() { return reinterpret_cast<GuardFrame*>(__readfsdword(0)); }
void SetChainHead(GuardFrame* frame) { __writefsdword(0, DWORD(reinterpret_cast<uintptr_t>(frame))); }

extern "C" EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* establisher, CONTEXT*,
                                                      void*) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  auto* frame = static_cast<GuardFrame*>(establisher);
  frame->code = record->ExceptionCode;
  // Lets the called code's own frames below ours run their termination handlers.
  RtlUnwind(frame, nullptr, record, nullptr);
  __builtin_longjmp(frame->jump, 1);
}

// Puts the chain back to what it was before the guard, on every way out.
struct ChainRestore {
  GuardFrame* previous;
  ~ChainRestore() { SetChainHead(previous); }
};

}  // namespace

__attribute__((noinline)) GuardedCall CallGuarded(const std::function<void()>& call) {
  GuardFrame frame{};
  frame.handler = reinterpret_cast<void*>(&GuardHandler);
  frame.next = ChainHead();
  ChainRestore restore{frame.next};
  GuardedCall result;
  if (__builtin_setjmp(frame.jump) == 0) {
    SetChainHead(&frame);
    call();
  } else {
    result.crashed = true;
    result.exception_code = frame.code;
  }
  SetChainHead(restore.previous);
  return result;
}

#else

// 64-bit code has table-based unwinding; the engine is built 32-bit only.
GuardedCall CallGuarded(const std::function<void()>& call) {
  call();
  return {};
}

#endif

}  // namespace ks
