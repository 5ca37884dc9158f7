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

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  ks::RunEngine(instance);
}
