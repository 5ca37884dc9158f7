// The main window's arithmetic: gradient bands, picture placement per stretch
// mode, the size loop's fit test and the six text positions.
#include "portable/main_window_layout.h"

#include <gtest/gtest.h>

#include <numeric>

namespace ks {
namespace {

TEST(GradientBands, EndsAreExactAndBandsCoverTheRectangle) {
  struct Case { Rect r; int band; };
  const Case kCases[] = {{{0, 0, 100, 1080}, 3}, {{0, 0, 10, 500}, 2}, {{0, 0, 10, 100}, 1}, {{0, 5, 10, 1001}, 3}};
  for (const Case& c : kCases) {
    auto bands = GradientBands(c.r, 0x00FF8000, 0x000080FF);
    ASSERT_FALSE(bands.empty());
    EXPECT_EQ(bands.front().color, 0x00FF8000u);
    EXPECT_EQ(bands.back().color, 0x000080FFu);
    EXPECT_EQ(bands.front().rect.top, c.r.top);
    EXPECT_EQ(bands.back().rect.bottom, c.r.bottom);  // the last band is clipped
    EXPECT_EQ(bands[0].rect.Height(), c.band);
    for (size_t i = 1; i < bands.size(); ++i) {
      EXPECT_EQ(bands[i].rect.top, bands[i - 1].rect.bottom);
      // Red (low byte) rises, blue falls, never overshooting.
      EXPECT_GE(bands[i].color & 0xFF, bands[i - 1].color & 0xFF);
      EXPECT_LE(bands[i].color >> 16, bands[i - 1].color >> 16);
    }
  }
}

TEST(GradientBands, OnePixelHighIsTheBottomColour) {
  auto bands = GradientBands({0, 0, 10, 1}, 0x111111, 0x222222);
  ASSERT_EQ(bands.size(), 1u);
  EXPECT_EQ(bands[0].color, 0x222222u);
  EXPECT_TRUE(GradientBands({0, 0, 10, 0}, 1, 2).empty());
}

TEST(PicturePlacement, EachStretchMode) {
  const Rect screen{0, 0, 1920, 1080};
  struct Case { int w, h, mode, percent; Rect expect; };
  const Case kCases[] = {
      {100, 50, kStretchFill, 100, {0, 0, 1920, 1080}},
      {100, 50, kStretchFill, 50, {480, 270, 1440, 810}},
      {100, 100, kStretchFit, 100, {420, 0, 1500, 1080}},        // narrower than the screen
      {400, 100, kStretchFit, 100, {0, 300, 1920, 780}},         // wider than the screen
      {100, 50, kStretchMultiples, 100, {10, 65, 1910, 1015}},   // factor min(19, 21) = 19
      {300, 200, kStretchMultiples, 50, {660, 340, 1260, 740}},  // factor min(3, 2) = 2 in 960x540
      {4000, 1000, kStretchMultiples, 100, {0, 300, 1920, 780}},  // larger: fitted, not cropped
  };
  for (const Case& c : kCases) {
    auto out = PicturePlacement(screen, c.w, c.h, c.mode, c.percent);
    ASSERT_EQ(out.size(), 1u) << c.w << "x" << c.h << " mode " << c.mode;
    EXPECT_EQ(out[0], c.expect) << c.w << "x" << c.h << " mode " << c.mode << " got " << out[0].left << ","
                                << out[0].top << "," << out[0].right << "," << out[0].bottom;
  }
}

TEST(PicturePlacement, TileCoversFromTheTopLeftAndNoPictureAtSizeZero) {
  auto tiles = PicturePlacement({0, 0, 250, 120}, 100, 50, kStretchTile, 10);
  ASSERT_EQ(tiles.size(), 9u);  // 3 columns x 3 rows
  EXPECT_EQ(tiles.front(), (Rect{0, 0, 100, 50}));
  EXPECT_EQ(tiles.back(), (Rect{200, 100, 300, 150}));
  EXPECT_TRUE(PicturePlacement({0, 0, 250, 120}, 100, 50, kStretchFill, 0).empty());
  EXPECT_TRUE(PicturePlacement({0, 0, 250, 120}, 0, 50, kStretchFill, 100).empty());
}

TEST(SplitExactly, SizesAddUpAndDifferByAtMostOne) {
  for (int total : {0, 7, 100, 1081})
    for (int parts : {1, 2, 4, 6}) {
      auto sizes = SplitExactly(total, parts);
      ASSERT_EQ(int(sizes.size()), parts);
      EXPECT_EQ(std::accumulate(sizes.begin(), sizes.end(), 0), total);
      auto [lo, hi] = std::minmax_element(sizes.begin(), sizes.end());
      EXPECT_LE(*hi - *lo, 1);
    }
}

TEST(TitleLayout, ShadowAndSizeLoop) {
  EXPECT_EQ(ShadowOffset(34, 1), 0);  // no shadow on a 34-pixel font at depth 1
  EXPECT_EQ(ShadowOffset(34, 40), 1);
  EXPECT_EQ(ShadowOffset(1300, 3), 3);
  EXPECT_EQ(FontPixelHeight(96, 26), 34);
  const Rect screen{0, 0, 1920, 1080};  // mx = 9
  EXPECT_TRUE(TextFits(1900, 10, screen, 26));
  EXPECT_FALSE(TextFits(1901, 10, screen, 26));
  EXPECT_TRUE(TextFits(5000, 10, screen, 6));  // the loop stops at 6 points
}

TEST(TitleLayout, SixPositions) {
  const Rect screen{0, 0, 1920, 1080};  // mx 9, my 2
  struct Case { int position; int top; int offset; };
  const Case kCases[] = {{1, 2, 0}, {2, 2, 440}, {3, 2, 880}, {4, 973, 0}, {5, 973, 440}, {6, 973, 880}};
  for (const Case& c : kCases) {
    TextOrigin o = TextBlockOrigin(screen, c.position, 100, 5);
    EXPECT_EQ(o.box_left, 9);
    EXPECT_EQ(o.box_width, 1920 - 2 * (9 + 5));
    EXPECT_EQ(o.top, c.top) << c.position;
    EXPECT_EQ(LineOffset(c.position, o.box_width, 1012), c.offset) << c.position;
  }
}

}  // namespace
}  // namespace ks

#include "portable/display_settings.h"

namespace ks {
namespace {

TEST(DisplaySettingsText, FaceListsAndLines) {
  EXPECT_EQ(SplitFaceList(u" Cambria Bold Italic,\tTimes New Roman\r\n, ,Arial"),
            (std::vector<std::u16string>{u"Cambria Bold Italic", u"Times New Roman", u"Arial"}));
  EXPECT_TRUE(SplitFaceList(u" , ").empty());
  EXPECT_EQ(SplitTextLines(u"a\r\nb\n\rc\rd\ne"), (std::vector<std::u16string>{u"a", u"b", u"c", u"d", u"e"}));
  EXPECT_EQ(SplitTextLines(u"a\n\nb"), (std::vector<std::u16string>{u"a", u"", u"b"}));
}

TEST(DisplaySettingsKey, MissingValuesTakeTheUninstallerDefaults) {
  SavedValues none{[](std::u16string_view) { return std::optional<uint32_t>(); },
                   [](std::u16string_view) { return std::optional<std::u16string>(); }};
  DisplaySettings d = DisplaySettingsFromKey(none, true, 0x111111, 0x222222);
  EXPECT_EQ(d.TitleColor, 0x111111u);
  EXPECT_EQ(d.TopColor, 0x222222u);
  EXPECT_EQ(d.BottomColor, 0u);
  EXPECT_TRUE(d.MonoColor);
  EXPECT_EQ(d.BitmapTPI, -1);
  EXPECT_EQ(d.StretchMode, 0);
  EXPECT_EQ(d.BitmapSize, 0);
  EXPECT_EQ(d.CopyrightPos, 0);

  SavedValues some{[](std::u16string_view n) -> std::optional<uint32_t> {
                     if (n == u"TopColor") return 0x00FF0000;
                     if (n == u"MonoColor") return 0;
                     if (n == u"BitmapSize") return 50;
                     return std::nullopt;
                   },
                   [](std::u16string_view n) -> std::optional<std::u16string> {
                     if (n == u"TitleSize") return u"1.5";
                     if (n == u"CopyrightColor") return u"16711680";
                     return std::nullopt;
                   }};
  d = DisplaySettingsFromKey(some, false, 0, 0);
  EXPECT_FALSE(d.MonoColor);
  EXPECT_EQ(d.TopColor, 0x00FF0000u);
  EXPECT_DOUBLE_EQ(d.TitleSize, 1.5);
  EXPECT_EQ(d.CopyrightColor, 16711680u);
  EXPECT_EQ(d.BitmapSize, 0);  // no picture kept: none drawn
}

TEST(DisplaySettingsDib, HeaderAndColourTable) {
  std::string dib(40 + 256 * 4 + 16, '\0');
  auto put = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) dib[at + i] = char(v >> (8 * i)); };
  put(0, 40); put(4, 4); put(8, 4); dib[14] = 8;
  auto info = ParseDib(dib);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->header_size, 40u + 1024u);
  EXPECT_EQ(info->colours, 256);
  put(32, 2);  // two colours used
  EXPECT_EQ(ParseDib(dib)->header_size, 48u);
  EXPECT_FALSE(ParseDib(dib.substr(0, 39)));
  put(32, 0);
  EXPECT_FALSE(ParseDib(dib.substr(0, 40 + 100)));  // colour table cut short
  EXPECT_TRUE(DibFromBmpFile("BM" + std::string(12, '\0') + dib));
  EXPECT_FALSE(DibFromBmpFile("XX" + std::string(12, '\0') + dib));
}

}  // namespace
}  // namespace ks

namespace ks {
namespace {

TEST(DisplaySettingsDib, MaskMarksTheTransparentIndex) {
  // 4-bit 3x2 picture, two colours; rows padded to 4 bytes.
  std::string dib(40 + 16 * 4, '\0');
  auto put = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) dib[at + i] = char(v >> (8 * i)); };
  put(0, 40); put(4, 3); put(8, 2); dib[14] = 4;
  dib += std::string("\x12\x20\0\0", 4);  // 1 2 2
  dib += std::string("\x21\x10\0\0", 4);  // 2 1 1
  auto info = ParseDib(dib);
  ASSERT_TRUE(info);
  std::string mask = DibMask(dib, *info, 2);
  ASSERT_EQ(mask.size(), 8u);
  EXPECT_EQ(uint8_t(mask[0]), 0x60);  // .XX
  EXPECT_EQ(uint8_t(mask[4]), 0x80);  // X..
  EXPECT_TRUE(DibMask(dib.substr(0, dib.size() - 1), *info, 2).empty());
}

}  // namespace
}  // namespace ks

namespace ks {
namespace {

TEST(DisplaySettingsDib, BmpFileRoundTrip) {
  // 2-colour 8-bit picture: header 40 + table 8 -> pixel offset 62.
  std::string dib(40 + 8 + 4, '\0');
  auto put = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) dib[at + i] = char(v >> (8 * i)); };
  put(0, 40); put(4, 1); put(8, 1); dib[14] = 8; put(32, 2);
  std::string file = BmpFileFromDib(dib);
  ASSERT_EQ(file.size(), dib.size() + 14);
  EXPECT_EQ(file.substr(0, 2), "BM");
  EXPECT_EQ(uint8_t(file[2]), dib.size() + 14);
  EXPECT_EQ(uint8_t(file[10]), 62);
  EXPECT_EQ(DibFromBmpFile(file), dib);
  EXPECT_EQ(BmpFileFromDib("short"), "");
}

}  // namespace
}  // namespace ks
