// Run-time libraries, loaded only from the system folder so that a DLL beside
// the installer (or in the current folder) can never be picked up instead.
#pragma once
#include <windows.h>

namespace ks {

// Loads `name` (a bare file name such as L"srclient.dll") from the system
// folder once per process; later calls return the same module. Null on
// failure with the system's error left as the last error. The modules stay
// loaded until the process ends.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The address of `proc` in the system library `name`, or null.
FARPROC SystemProcAddress(const wchar_t* name, const char* proc);

// The same, typed: SystemProc<decltype(&::GetThing)>(L"x.dll", "GetThing").
template <typename Fn>
Fn SystemProc(const wchar_t* name, const char* proc) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(SystemProcAddress(name, proc)));
}

// Removes the application folder and the current folder from the search
// path of every later LoadLibrary call, where the system supports it.
// Returns false when the system has no SetDefaultDllDirectories.
bool RestrictDllSearch();

}  // namespace ks
