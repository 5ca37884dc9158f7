// The engine's Windows entry point: hands the process to the start-up sequence.
#include <windows.h>

#include "setup/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  ks::RunEngine(instance);  // never returns
  return 1;
}
