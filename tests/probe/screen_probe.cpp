// Screenshots for the window tests: waits for a visible window of a class,
// writes the screen (or that window) as a BMP and the visible windows as JSON.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "window_probe/screen_shot.h"

namespace {

struct Found {
  const wchar_t* cls;
  HWND window = nullptr;
  std::wstring classes;  // JSON array items of every visible top-level window
};

BOOL CALLBACK Visit(HWND w, LPARAM p) {
  auto* f = reinterpret_cast<Found*>(p);
  if (!IsWindowVisible(w)) return TRUE;
  wchar_t name[256] = {};
  GetClassNameW(w, name, 256);
  RECT r;
  GetWindowRect(w, &r);
  wchar_t item[512];
  swprintf(item, 512, L"%ls{\"class\":\"%ls\",\"rect\":[%ld,%ld,%ld,%ld],\"minimized\":%ls}", f->classes.empty() ? L"" : L",",
           name, r.left, r.top, r.right, r.bottom, IsIconic(w) ? L"true" : L"false");
  f->classes += item;
  if (f->cls && !f->window && wcscmp(name, f->cls) == 0) f->window = w;
  return TRUE;
}

}  // namespace

// screen_probe OUT.bmp [--class NAME] [--timeout MS] [--settle MS] [--window] [--end]
//   --class    wait for a visible top-level window of this class (else shoot at once)
//   --window   shoot only that window's rectangle; --end ends its process afterwards
int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: screen_probe OUT.bmp [--class NAME] [--timeout MS] [--settle MS] [--window] [--end]\n");
    return 2;
  }
  const wchar_t* out = argv[1];
  const wchar_t* cls = nullptr;
  DWORD timeout = 10000, settle = 700;
  bool window_only = false, end = false;
  for (int i = 2; i < argc; ++i) {
    std::wstring a = argv[i];
    if (a == L"--class" && i + 1 < argc) cls = argv[++i];
    else if (a == L"--timeout" && i + 1 < argc) timeout = wcstoul(argv[++i], nullptr, 10);
    else if (a == L"--settle" && i + 1 < argc) settle = wcstoul(argv[++i], nullptr, 10);
    else if (a == L"--window") window_only = true;
    else if (a == L"--end") end = true;
  }
  Found found{cls, nullptr, {}};
  DWORD start = GetTickCount();
  for (;;) {
    found = Found{cls, nullptr, {}};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&found));
    if (!cls || found.window || GetTickCount() - start > timeout) break;
    Sleep(100);
  }
  // Give the window's thread time to paint before the shot.
  if (found.window) {
    Sleep(settle);
    found = Found{cls, nullptr, {}};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&found));
  }
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (window_only && found.window) GetWindowRect(found.window, &r);
  bool written = probe::WriteScreenBmp(out, r);
  wprintf(L"{\"found\":%ls,\"written\":%ls,\"windows\":[%ls]}\n", found.window ? L"true" : L"false",
          written ? L"true" : L"false", found.classes.c_str());
  if (end && found.window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(found.window, &pid);
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
      TerminateProcess(p, 0);
      CloseHandle(p);
    }
  }
  return written ? 0 : 1;
}
