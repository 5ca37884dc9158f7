// The few runtime pieces the engine takes from the system instead of the C++
// library: its failed checks end in the fatal-error routine, static locals
// are guarded by one critical section, the steady clock reads the
// performance counter. That keeps the library's exceptions, strings, unwinder
// and thread library (over 100 KB) out of the executable; nothing catches.
#include <windows.h>

#include <bits/functexcept.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "core/fatal.h"

namespace {

[[noreturn]] void LibraryCheckFailed(int line) {
  ks::FatalFormat("Internal Fatal Error\r\nModule: %s\r\nLine: %d", "runtime_support", line);
}

// Made on first use: a static local may be reached before any constructor ran.
CRITICAL_SECTION guard_lock;
volatile LONG guard_lock_state = 0;  // 0 none, 1 being made, 2 ready

void LockGuards() {
  if (guard_lock_state != 2) {
    if (InterlockedCompareExchange(&guard_lock_state, 1, 0) == 0) {
      InitializeCriticalSection(&guard_lock);
      InterlockedExchange(&guard_lock_state, 2);
    } else {
      while (guard_lock_state != 2) Sleep(0);
    }
  }
  EnterCriticalSection(&guard_lock);
}

}  // namespace

namespace std {

void __throw_bad_alloc() { ks::OutOfMemory(0); }
void __throw_bad_array_new_length() { ks::OutOfMemory(0); }
void __throw_bad_function_call() { LibraryCheckFailed(__LINE__); }
void __throw_length_error(const char*) { LibraryCheckFailed(__LINE__); }
void __throw_logic_error(const char*) { LibraryCheckFailed(__LINE__); }
void __throw_invalid_argument(const char*) { LibraryCheckFailed(__LINE__); }
void __throw_out_of_range(const char*) { LibraryCheckFailed(__LINE__); }
void __throw_out_of_range_fmt(const char*, ...) { LibraryCheckFailed(__LINE__); }
void __throw_system_error(int) { LibraryCheckFailed(__LINE__); }
void __throw_future_error(int) { LibraryCheckFailed(__LINE__); }

namespace chrono {
inline namespace _V2 {
steady_clock::time_point steady_clock::now() noexcept {
  static LARGE_INTEGER frequency;  // constant-initialised: no guard
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  const int64_t seconds = count.QuadPart / frequency.QuadPart, rest = count.QuadPart % frequency.QuadPart;
  return time_point(duration(seconds * 1000000000 + rest * 1000000000 / frequency.QuadPart));
}
}  // namespace _V2
}  // namespace chrono

}  // namespace std

// The guard's first byte says "made"; the compiler tests it before calling.
// The lock is held while a static is made, so a second thread waits for it.
extern "C" int __cxa_guard_acquire(uint64_t* guard) {
  if (*reinterpret_cast<volatile uint8_t*>(guard)) return 0;
  LockGuards();
  if (*reinterpret_cast<volatile uint8_t*>(guard)) {
    LeaveCriticalSection(&guard_lock);
    return 0;
  }
  return 1;
}

extern "C" void __cxa_guard_release(uint64_t* guard) {
  *reinterpret_cast<volatile uint8_t*>(guard) = 1;
  LeaveCriticalSection(&guard_lock);
}

extern "C" void __cxa_guard_abort(uint64_t*) { LeaveCriticalSection(&guard_lock); }

void* operator new(size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
