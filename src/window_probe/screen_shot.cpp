// Screen rectangles as BMP files.
#include "window_probe/screen_shot.h"

#include "window_probe/text_file.h"

namespace probe {

bool WriteScreenBmp(const std::wstring& path, const RECT& r) {
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, old);
    DWORD stride = DWORD((w * 3 + 3) & ~3), size = stride * DWORD(h);
    BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof fh + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                           DWORD(sizeof fh + sizeof(BITMAPINFOHEADER))};
    std::string data(reinterpret_cast<const char*>(&fh), sizeof fh);
    data.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(BITMAPINFOHEADER));
    data.append(static_cast<const char*>(bits), size);
    ok = WriteBytes(path, data);
    DeleteObject(dib);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace probe
