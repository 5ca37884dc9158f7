// Common controls 6, loaded by name so that the manifest's side-by-side
// assembly answers: a full path would give the old version without the link
// control. The assembly lookup comes before any folder search, and the search
// itself is held to the system folder where the loader allows it.
#include "ui/common_controls.h"

#include <windows.h>
#include <commctrl.h>

namespace ks {

bool InitCommonControls6() {
  static const bool registered = [] {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    bool search_flags = kernel && GetProcAddress(kernel, "AddDllDirectory");
    HMODULE module = LoadLibraryExW(L"comctl32.dll", nullptr, search_flags ? LOAD_LIBRARY_SEARCH_SYSTEM32 : 0);
    if (!module) return false;
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LINK_CLASS | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    return init && init(&controls) != FALSE;
  }();
  return registered;
}

}  // namespace ks
