// The arithmetic of the installer's main window: gradient bands, where the
// background picture goes in each stretch mode, and where the title lines go.
#pragma once
#include <cstdint>
#include <vector>

namespace ks {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

enum StretchMode : int { kStretchFill = 0, kStretchFit = 1, kStretchMultiples = 2, kStretchTile = 3 };

// The colour of a gradient band and its rectangle.
struct GradientBand {
  Rect rect;
  uint32_t color = 0;  // 0x00BBGGRR
};

// The fallback gradient when GradientFill is missing: bands of 1..3 pixels,
// each channel stepped exactly so that the last band is `bottom`.
std::vector<GradientBand> GradientBands(const Rect& r, uint32_t top, uint32_t bottom);

// Where copies of a w x h picture go in client rectangle `r` for `mode` with
// `size_percent` of the client area. Tile gives many; other modes one.
std::vector<Rect> PicturePlacement(const Rect& r, int w, int h, int mode, int size_percent);

// Splits `total` into `parts` pieces whose sizes differ by at most one and add
// up exactly (the stepper shared by the bands and the tiled stretch).
std::vector<int> SplitExactly(int total, int parts);

// Title and copyright layout.
struct TextMargins {
  int mx = 0, my = 0;
};
TextMargins MarginsFor(const Rect& client);

// Shadow offset in pixels for a font of `height` pixels and depth `shadow`.
inline int ShadowOffset(int height, int shadow) { return height * shadow / 1300; }

// Pixel height of a font of `points` on a screen of `dpi` pixels per inch.
inline int FontPixelHeight(int dpi, double points) { return int(dpi * points / 72); }

// Whether a text `width` pixels wide fits, else the size loop takes a point off.
inline bool TextFits(int width, int shadow_px, const Rect& client, double points) {
  return points <= 6 || width + shadow_px + MarginsFor(client).mx < client.right;
}

// Left edge of one line and the top of the block for `position` 1..6.
struct TextOrigin {
  int box_left = 0, box_width = 0, top = 0;
};
TextOrigin TextBlockOrigin(const Rect& client, int position, int text_height, int shadow_px);
int LineOffset(int position, int box_width, int line_width);

}  // namespace ks
