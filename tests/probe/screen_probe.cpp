// Screenshots for the window tests: waits for a visible window of a class,
// writes the screen (or that window) as a BMP and the visible windows as JSON.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

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

bool WriteBmp(const wchar_t* path, HDC source, int x, int y, int w, int h) {
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return false;
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, w, h, source, x, y, SRCCOPY);
  GdiFlush();
  SelectObject(memory, old);
  DWORD stride = DWORD((w * 3 + 3) & ~3), size = stride * DWORD(h);
  BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof(fh) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                         DWORD(sizeof(fh) + sizeof(BITMAPINFOHEADER))};
  bool ok = false;
  if (FILE* f = _wfopen(path, L"wb")) {
    ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&bi.bmiHeader, sizeof(BITMAPINFOHEADER), 1, f) == 1 &&
         fwrite(bits, size, 1, f) == 1;
    ok = fclose(f) == 0 && ok;
  }
  DeleteObject(dib);
  DeleteDC(memory);
  return ok;
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
  HDC screen = GetDC(nullptr);
  int x = 0, y = 0, w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  if (window_only && found.window) {
    RECT r;
    GetWindowRect(found.window, &r);
    x = r.left, y = r.top, w = r.right - r.left, h = r.bottom - r.top;
  }
  bool written = w > 0 && h > 0 && WriteBmp(out, screen, x, y, w, h);
  ReleaseDC(nullptr, screen);
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
