// The price of painting the main window: full redraws (erase and paint) of a
// screen-sized window with a gradient, a stretched picture, title and copyright.
//
//   bench_main_window [RUNS]
//
// Prints the client size and the median and range of RUNS redraws (default 15)
// in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "portable/display_settings.h"
#include "ui/main_window.h"

namespace {

double Millis(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(f.QuadPart);
}

// A 24-bit 800x600 picture with a diagonal pattern.
std::string Picture() {
  const int w = 800, h = 600, stride = w * 3;
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = w;
  header.biHeight = h;
  header.biPlanes = 1;
  header.biBitCount = 24;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < stride; ++x) block += char((x + y) & 0xFF);
  return block;
}

std::vector<double> Redraws(HWND window, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ERASENOW);
    GdiFlush();
    QueryPerformanceCounter(&b);
    times.push_back(Millis(a, b));
  }
  std::sort(times.begin(), times.end());
  return times;
}

void Print(const char* what, const std::vector<double>& t) {
  printf("main window redraw, %s: median %.1f ms (range %.1f-%.1f, %zu runs)\n", what, t[t.size() / 2], t.front(),
         t.back(), t.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace ks;
  int runs = argc > 1 ? _wtoi(argv[1]) : 15;
  DisplaySettings look;
  look.full_screen = false;  // the work area: the whole screen without a taskbar
  look.TopColor = 0x402010;
  look.BottomColor = 0xF0D0A0;
  look.DisplayTitle = u"Keldwick Bench Product";
  look.TitlePosition = 2;
  look.TitleSize = 2.0;
  look.TitleShadow = 60;
  look.CopyrightText = u"(c) Keldwick Samples";
  look.CopyrightPos = 6;
  look.BackgroundPicture = Picture();
  look.BitmapSize = 80;
  look.StretchMode = 1;
  HWND window = CreateMainWindow(GetModuleHandleW(nullptr), nullptr, false, look, nullptr, nullptr);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  RECT client;
  GetClientRect(window, &client);
  printf("main window client area: %ldx%ld\n", client.right, client.bottom);
  Print("gradient, picture, title, copyright", Redraws(window, runs));
  return 0;
}
