// The engine's Windows entry point, and its allocator: an allocation that
// fails ends the run through the out-of-memory report, never by surprise.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "core/fatal.h"
#include "setup/startup.h"

void* operator new(size_t size) {
  if (void* p = std::malloc(size ? size : 1)) return p;
  ks::OutOfMemory(size);
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

// libstdc++'s own handler prints the exception's demangled type name, which
// links the whole demangler into the engine; nothing here has a console to
// print to, so an uncaught library error simply ends the process.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  ks::RunEngine(instance);
}
