// The main window's background: gradient (or bands, or one colour) and the
// background picture in its stretch mode.
#include <algorithm>

#include "core/library_loader.h"
#include "portable/main_window_layout.h"
#include "ui/main_window_paint.h"

namespace ks {
namespace {

using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

RECT ToRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

bool FillGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
  // Looked up once: msimg32 is missing on some minimal systems.
  static GradientFillFn gradient_fill = SystemProc<GradientFillFn>(L"msimg32.dll", "GradientFill");
  if (gradient_fill) {
    TRIVERTEX v[2] = {
        {r.left, r.top, COLOR16(GetRValue(top) << 8), COLOR16(GetGValue(top) << 8), COLOR16(GetBValue(top) << 8), 0},
        {r.right + 1, r.bottom + 1, COLOR16(GetRValue(bottom) << 8), COLOR16(GetGValue(bottom) << 8),
         COLOR16(GetBValue(bottom) << 8), 0}};
    GRADIENT_RECT g = {0, 1};
    if (gradient_fill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V)) return true;
  }
  for (const GradientBand& band : GradientBands({r.left, r.top, r.right, r.bottom}, top, bottom))
    FillSolid(dc, ToRect(band.rect), band.color);
  return true;
}

void EraseMainWindow(HDC dc, const RECT& client, const DisplaySettings& look, bool& gradient_failed) {
  bool mono = look.MonoColor || gradient_failed;
  if (!mono && !FillGradient(dc, client, look.TopColor, look.BottomColor)) mono = gradient_failed = true;
  if (mono) FillSolid(dc, client, look.TopColor);

  auto info = ParseDib(look.BackgroundPicture);
  if (!info || info->width <= 0 || look.BitmapSize <= 0) return;
  int height = info->height < 0 ? -info->height : info->height;
  Rect area{client.left, client.top, client.right, client.bottom};
  auto places = PicturePlacement(area, info->width, height, look.StretchMode, std::min(look.BitmapSize, 100));
  // Tiles are plain copies at natural size; the other modes honour transparency.
  int transparent = look.StretchMode == kStretchTile ? -1 : look.BitmapTPI;
  for (const Rect& place : places) DrawPicture(dc, ToRect(place), look.BackgroundPicture, transparent);
}

}  // namespace ks
