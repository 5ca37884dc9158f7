// The arithmetic of the installer's main window (see the header).
#include "main_window_layout.h"

#include <algorithm>

namespace ks {
namespace {

int Channel(uint32_t c, int shift) { return int((c >> shift) & 0xFF); }

// Shrinks `r` about its centre to `w` x `h`.
Rect Centred(const Rect& r, int w, int h) {
  int left = r.left + (r.Width() - w) / 2;
  int top = r.top + (r.Height() - h) / 2;
  return {left, top, left + w, top + h};
}

Rect FitAspect(const Rect& r, int w, int h) {
  // Compare R.h/h > R.w/w without rounding: R.h*w > R.w*h.
  if (int64_t(r.Height()) * w > int64_t(r.Width()) * h)
    return Centred(r, r.Width(), int(int64_t(h) * r.Width() / w));
  return Centred(r, int(int64_t(w) * r.Height() / h), r.Height());
}

}  // namespace

std::vector<int> SplitExactly(int total, int parts) {
  std::vector<int> sizes;
  if (parts <= 0) return sizes;
  int error = 0;
  for (int i = 0; i < parts; ++i) {
    error += total;
    sizes.push_back(error / parts);
    error %= parts;
  }
  return sizes;
}

std::vector<GradientBand> GradientBands(const Rect& r, uint32_t top, uint32_t bottom) {
  std::vector<GradientBand> bands;
  int height = r.Height();
  if (height <= 0) return bands;
  int band = std::clamp(height / 224, 1, 3);
  int count = (height + band - 1) / band;
  // Band i carries T + (B - T) * i / (count - 1) per channel, in exact integers:
  // the first band is the top colour and the last one the bottom colour.
  int steps = std::max(count - 1, 1);
  for (int i = 0; i < count; ++i) {
    int y = r.top + i * band;
    uint32_t color = 0;
    for (int c = 0; c < 3; ++c) {
      int from = Channel(top, c * 8), to = Channel(bottom, c * 8);
      int v = count == 1 ? to : from + (to - from) * i / steps;
      color |= uint32_t(v) << (c * 8);
    }
    bands.push_back({{r.left, y, r.right, std::min(y + band, r.bottom)}, color});
  }
  return bands;
}

std::vector<Rect> PicturePlacement(const Rect& r, int w, int h, int mode, int size_percent) {
  std::vector<Rect> out;
  if (w <= 0 || h <= 0 || size_percent <= 0 || r.Width() <= 0 || r.Height() <= 0) return out;
  if (mode == kStretchTile) {
    int columns = (r.Width() + w - 1) / w, rows = (r.Height() + h - 1) / h;
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < columns; ++x)
        out.push_back({r.left + x * w, r.top + y * h, r.left + (x + 1) * w, r.top + (y + 1) * h});
    return out;
  }
  Rect scaled = Centred(r, (r.Width() * size_percent + 50) / 100, (r.Height() * size_percent + 50) / 100);
  if (mode == kStretchFit) {
    scaled = FitAspect(scaled, w, h);
  } else if (mode == kStretchMultiples) {
    int factor = std::min(scaled.Width() / w, scaled.Height() / h);
    scaled = factor >= 1 ? Centred(scaled, w * factor, h * factor) : FitAspect(scaled, w, h);
  }
  out.push_back(scaled);
  return out;
}

TextMargins MarginsFor(const Rect& c) { return {c.Width() / 200, c.Height() / 400}; }

TextOrigin TextBlockOrigin(const Rect& client, int position, int text_height, int shadow_px) {
  TextMargins m = MarginsFor(client);
  TextOrigin o;
  o.box_left = m.mx;
  o.box_width = client.right - 2 * (m.mx + shadow_px);
  o.top = position <= 3 ? m.my : client.bottom - text_height - shadow_px - m.my;
  return o;
}

int LineOffset(int position, int box_width, int line_width) {
  switch (position) {
    case 2: case 5: return (box_width - line_width) / 2;
    case 3: case 6: return box_width - line_width;
    default: return 0;
  }
}

}  // namespace ks
