// Drawing a packed DIB into a rectangle: plain, with a transparent palette
// index (mask and picture), or alpha-blended at 32 bits per pixel.
#include <vector>

#include "portable/display_settings.h"
#include "portable/main_window_layout.h"
#include "ui/main_window_paint.h"

namespace ks {
namespace {

struct Picture {
  const BITMAPINFO* info;
  const void* bits;
  int width, height;  // height positive
  bool bottom_up;
};

int StretchOnce(HDC dc, const RECT& d, const Picture& p, int sx, int sy, int sw, int sh, DWORD rop) {
  // StretchDIBits counts source rows from the bottom for a bottom-up picture.
  int src_y = p.bottom_up ? p.height - sy - sh : sy;
  return StretchDIBits(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, sx, src_y, sw, sh, p.bits, p.info,
                       DIB_RGB_COLORS, rop);
}

// Large pictures can exhaust GDI memory on old systems: retry in 2x2, 4x4
// and 6x6 tiles before giving up.
bool Stretch(HDC dc, const RECT& d, const Picture& p, DWORD rop) {
  if (StretchOnce(dc, d, p, 0, 0, p.width, p.height, rop) != 0) return true;
  if (GetLastError() != ERROR_NOT_ENOUGH_MEMORY) return false;
  for (int n : {2, 4, 6}) {
    auto sw = SplitExactly(p.width, n), sh = SplitExactly(p.height, n);
    auto dw = SplitExactly(d.right - d.left, n), dh = SplitExactly(d.bottom - d.top, n);
    bool ok = true;
    int sy = 0, dy = d.top;
    for (int row = 0; row < n && ok; ++row) {
      int sx = 0, dx = d.left;
      for (int col = 0; col < n && ok; ++col) {
        RECT tile{dx, dy, dx + dw[col], dy + dh[row]};
        ok = StretchOnce(dc, tile, p, sx, sy, sw[col], sh[row], rop) != 0;
        sx += sw[col];
        dx += dw[col];
      }
      sy += sh[row];
      dy += dh[row];
    }
    if (ok) return true;
  }
  return false;
}

bool AlphaBlendPicture(HDC dc, const RECT& d, const Picture& p) {
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(dc, p.info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section) return false;
  size_t size = size_t(p.width) * 4 * size_t(p.height);
  memcpy(bits, p.bits, size);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, section);
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  BOOL ok = GdiAlphaBlend(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, memory, 0, 0, p.width, p.height, blend);
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(section);
  return ok;
}

}  // namespace

bool DrawPicture(HDC dc, const RECT& dest, const std::string& block, int transparent_index) {
  auto info = ParseDib(block);
  if (!info) return false;
  int height = info->height < 0 ? -info->height : info->height;
  const size_t stride = size_t((info->width * info->bits + 31) / 32) * 4;
  // Run-length pictures carry their own size; plain rows must all be there.
  const DWORD compression = reinterpret_cast<const BITMAPINFOHEADER*>(block.data())->biCompression;
  const bool run_length = compression == BI_RLE8 || compression == BI_RLE4;
  if (!run_length && block.size() < info->header_size + stride * size_t(height)) return false;
  Picture p{reinterpret_cast<const BITMAPINFO*>(block.data()), block.data() + info->header_size, info->width, height,
            info->height > 0};

  if (info->bits == 32) return AlphaBlendPicture(dc, dest, p);
  if (transparent_index < 0 || transparent_index >= info->colours || info->bits > 8 || run_length)
    return Stretch(dc, dest, p, SRCCOPY);

  std::string mask_rows = DibMask(block, *info, transparent_index);
  if (mask_rows.empty()) return Stretch(dc, dest, p, SRCCOPY);
  // The mask keeps the background (white) where the picture is transparent.
  struct { BITMAPINFOHEADER h; RGBQUAD colours[2]; } mask_info = {};
  mask_info.h = *reinterpret_cast<const BITMAPINFOHEADER*>(block.data());
  mask_info.h.biSize = sizeof(BITMAPINFOHEADER);
  mask_info.h.biBitCount = 1;
  mask_info.h.biCompression = BI_RGB;
  mask_info.h.biSizeImage = 0;
  mask_info.h.biClrUsed = 2;
  mask_info.h.biClrImportant = 0;
  mask_info.colours[1] = {255, 255, 255, 0};
  Picture mask{reinterpret_cast<const BITMAPINFO*>(&mask_info), mask_rows.data(), p.width, p.height, p.bottom_up};
  if (!Stretch(dc, dest, mask, SRCAND)) return false;
  // Then the picture ORed in, with its transparent entry black so it leaves the background alone.
  std::string copy = block;
  auto* colours = reinterpret_cast<RGBQUAD*>(copy.data() + reinterpret_cast<const BITMAPINFOHEADER*>(block.data())->biSize);
  colours[transparent_index] = {0, 0, 0, 0};
  Picture painted{reinterpret_cast<const BITMAPINFO*>(copy.data()), copy.data() + info->header_size, p.width, p.height,
                  p.bottom_up};
  return Stretch(dc, dest, painted, SRCPAINT);
}

}  // namespace ks
