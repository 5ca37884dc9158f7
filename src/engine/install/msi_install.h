// Installing an MSI package through the system's installer engine, loaded
// once for the process.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace ks {

// Result of a package whose installer call crashed.
constexpr DWORD kMsiCrashed = 0x8000FFFF;

// Installs `path` with "REBOOT=R" at `ui_level`, dialogs owned by `owner`.
// 0 or the installer's error code; ERROR_CALL_NOT_IMPLEMENTED without an
// installer engine.
DWORD InstallMsiPackage(const std::u16string& path, uint32_t ui_level, HWND owner);

}  // namespace ks
