// The start-up sequence: process set-up, command line, then the uninstaller or
// the installer archive and settings. Never returns.
#pragma once
#include <windows.h>

namespace ks {

[[noreturn]] void RunEngine(HINSTANCE instance);

}  // namespace ks
