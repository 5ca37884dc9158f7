// The preview's own rules: naming the pages a walk saw, the variant sets,
// BMP in and PNG out, the index page and the missing-tools message.
#include <zlib.h>

#include <cstring>

#include <gtest/gtest.h>

#include "png_image.h"
#include "portable/preview_pages.h"
#include "preview.h"
#include "preview_index.h"

namespace ks {
namespace {

using preview::SeenWindow;

SeenWindow Page(std::vector<int> controls, bool ok_is_default = true, std::string caption = "") {
  return {false, std::move(controls), ok_is_default, std::move(caption)};
}

TEST(PreviewPages, NamesEachPageAndItsTemplate) {
  using namespace preview;
  const std::vector<SeenWindow> walk = {
      {true, {}, false, ""},
      Page({kOk, kCancel, kLanguages, 1009}),
      Page({kOk, kCancel, 1009, kLink}),
      Page({kOk, kCancel, kPassword, 1039}),
      Page({kOk, kCancel, kViewer, 1009}, false),
      Page({kOk, kCancel, kViewer, 1009}, true),
      Page({kOk, kCancel, kBrowse, 1015, kSpaceRequired, 1037}),
      Page({kOk, kCancel, kBrowse, 1015}),
      Page({kCancel, kProgressBar, 1011}),
      Page({kOk, kOpenDocument, kLaunch, kOpenLog, kOpenDocument2}),
      Page({1, 20, kMessageText}, false, "Restart now?"),
  };
  struct Want { const char* title; const char* slug; const char* side; const char* banner; };
  const Want want[] = {
      {"Main window", "main-window", "", ""},
      {"Language", "language", "LanguageDlg", "LanguageDlg3"},
      {"Greeting", "greeting", "GreetingDlg", "GreetingDlg3"},
      {"Password", "password", "EnterPassword", "EnterPassword"},
      {"Licence", "licence", "LicenseDlg", "LicenseDlg3"},
      {"Readme", "readme", "ReadmeDlg", "ReadmeDlg3"},
      {"Destination folder", "folder", "ChooseDirDlg", "ChooseDirDlg3"},
      {"Start-menu folder", "start-menu", "StartMenuDlg", "StartMenuDlg3"},
      {"Progress", "progress", "ProgressDlg", "ProgressDlg3"},
      {"Summary", "summary", "SummaryDlg", "SummaryDlg3"},
      {"Message: Restart now?", "message-restart-now", "", ""},
  };
  std::array<uint32_t, 8> side, banner;
  side.fill(1);
  banner.fill(2);
  auto by_side = NamePages(walk, side), by_banner = NamePages(walk, banner);
  ASSERT_EQ(by_side.size(), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    EXPECT_EQ(by_side[i].title, want[i].title) << i;
    EXPECT_EQ(by_side[i].slug, want[i].slug) << i;
    EXPECT_EQ(by_side[i].template_name, want[i].side) << i;
    EXPECT_EQ(by_banner[i].template_name, want[i].banner) << i;
  }
}

TEST(PreviewPages, PlainPagesAndTheGreetingMessageBox) {
  using namespace preview;
  std::array<uint32_t, 8> plain{};
  const SeenWindow box = Page({1, 2, 20, kMessageText}, false, "Hello Setup");
  // The plain greeting is a message box, after the language page at most.
  auto names = NamePages({Page({kOk, kCancel, kLanguages}), box, Page({kOk, kCancel, kBrowse, kSpaceRequired}), box},
                         plain);
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[0].template_name, "LanguageDlg2");
  EXPECT_EQ(names[1].title, "Greeting");
  EXPECT_EQ(names[1].template_name, "message box");
  EXPECT_EQ(names[2].template_name, "ChooseDirDlg2");
  EXPECT_EQ(names[3].title, "Message: Hello Setup");
  // With a greeting template, a box before the pages is only a message.
  std::array<uint32_t, 8> side;
  side.fill(1);
  EXPECT_EQ(NamePages({box}, side)[0].title, "Message: Hello Setup");
  // A plain-variant greeting value other than 1 still loads the banner template.
  std::array<uint32_t, 8> seven;
  seven.fill(7);
  EXPECT_EQ(NamePages({Page({kOk, kLink})}, seven)[0].template_name, "GreetingDlg3");
  EXPECT_EQ(NamePages({Page({kOk}, true, "")}, side)[0].title, "Dialog");
}

TEST(PreviewPages, VariantSets) {
  std::array<uint32_t, 8> project = {2, 1, 0, 0, 1, 1, 2, 2};
  auto own = preview::VariantSets(project, false);
  ASSERT_EQ(own.size(), 1u);
  EXPECT_EQ(own[0].label, "project");
  EXPECT_EQ(own[0].variants, project);
  auto all = preview::VariantSets(project, true);
  ASSERT_EQ(all.size(), 3u);
  const char* labels[] = {"plain", "side_picture", "banner"};
  for (uint32_t v = 0; v < 3; ++v) {
    EXPECT_EQ(all[v].label, labels[v]);
    for (uint32_t got : all[v].variants) EXPECT_EQ(got, v);
  }
}

// A 24-bit BMP of 3 x 2 pixels (rows padded to 12 bytes), bottom-up or top-down.
Bytes SmallBmp(bool top_down) {
  // Top row red, green, blue; bottom row white, black, grey.
  const uint8_t top[] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
  const uint8_t bottom[] = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0};
  Bytes bmp(54, 0);
  bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40, bmp[18] = 3, bmp[26] = 1, bmp[28] = 24;
  int32_t h = top_down ? -2 : 2;
  std::memcpy(&bmp[22], &h, 4);
  const uint8_t* rows[2] = {top_down ? top : bottom, top_down ? bottom : top};
  for (const uint8_t* row : rows) bmp.insert(bmp.end(), row, row + 12);
  return bmp;
}

TEST(PreviewImages, ReadsBothRowOrdersAndRefusesBadFiles) {
  const Bytes rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128};
  for (bool top_down : {false, true}) {
    builder::RgbImage image;
    std::string error;
    ASSERT_TRUE(builder::ReadBmp24(SmallBmp(top_down), image, error)) << error;
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ(image.rgb, rgb) << top_down;
  }
  Bytes truncated = SmallBmp(false);
  truncated.pop_back();
  Bytes eight_bit = SmallBmp(false);
  eight_bit[28] = 8;
  Bytes huge = SmallBmp(false);
  huge[20] = 0x7F;  // width far beyond any screen
  Bytes zero_high = SmallBmp(false);
  zero_high[22] = 0;
  for (const Bytes& bad : {truncated, eight_bit, huge, zero_high, Bytes{'B', 'M'}}) {
    builder::RgbImage image;
    std::string error;
    EXPECT_FALSE(builder::ReadBmp24(bad, image, error));
    EXPECT_FALSE(error.empty());
  }
}

uint32_t Big32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

TEST(PreviewImages, PngChunksCarryTheImage) {
  builder::RgbImage image;
  std::string error;
  ASSERT_TRUE(builder::ReadBmp24(SmallBmp(true), image, error));
  Bytes png = builder::EncodePng(image);
  ASSERT_EQ(Bytes(png.begin(), png.begin() + 8), (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
  std::vector<std::string> kinds;
  Bytes idat;
  for (size_t at = 8; at + 12 <= png.size();) {
    uint32_t length = Big32(png, at);
    ASSERT_LE(at + 12 + length, png.size());
    std::string kind(png.begin() + at + 4, png.begin() + at + 8);
    uint32_t crc = uint32_t(crc32(0, png.data() + at + 4, 4 + length));
    EXPECT_EQ(Big32(png, at + 8 + length), crc) << kind;
    if (kind == "IHDR") {
      EXPECT_EQ(Big32(png, at + 8), 3u);
      EXPECT_EQ(Big32(png, at + 12), 2u);
      EXPECT_EQ(png[at + 16], 8);  // bits per channel
      EXPECT_EQ(png[at + 17], 2);  // RGB
    }
    if (kind == "IDAT") idat.assign(png.begin() + at + 8, png.begin() + at + 8 + length);
    kinds.push_back(kind);
    at += 12 + length;
  }
  EXPECT_EQ(kinds, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  Bytes raw(2 * (1 + 9));
  uLongf raw_size = uLongf(raw.size());
  ASSERT_EQ(uncompress(raw.data(), &raw_size, idat.data(), uLong(idat.size())), Z_OK);
  ASSERT_EQ(raw_size, raw.size());
  Bytes rows;
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(raw[y * 10], 0);  // no filter
    rows.insert(rows.end(), raw.begin() + y * 10 + 1, raw.begin() + y * 10 + 10);
  }
  EXPECT_EQ(rows, image.rgb);
}

TEST(PreviewIndex, ListsEveryShotInOrderWithEscapedNames) {
  std::vector<builder::PreviewWalk> walks = {
      {"plain", {{"plain-01-main-window.png", "Main window", "", 1024, 768},
                 {"plain-02-message-a-b.png", "Message: A<b>&\"c\"", "", 300, 120}}, ""},
      {"banner", {{"banner-01-folder.png", "Destination folder", "ChooseDirDlg3", 566, 434}},
       "A page kept coming back; the walk stopped there."},
  };
  std::string html = builder::PreviewIndexHtml("Tom & Jerry", walks);
  EXPECT_NE(html.find("<title>Preview of Tom &amp; Jerry</title>"), std::string::npos);
  EXPECT_NE(html.find("2. Message: A&lt;b&gt;&amp;&quot;c&quot;"), std::string::npos);
  EXPECT_NE(html.find("<img src=\"banner-01-folder.png\" width=\"566\" height=\"434\""), std::string::npos);
  EXPECT_NE(html.find("(ChooseDirDlg3)"), std::string::npos);
  EXPECT_NE(html.find("A page kept coming back"), std::string::npos);
  size_t a = html.find("plain-01"), b = html.find("plain-02"), c = html.find("banner-01");
  EXPECT_TRUE(a < b && b < c);
}

TEST(PreviewTools, MissingToolsAreNamed) {
  EXPECT_EQ(builder::MissingToolsMessage({"wine", "Xvfb"}),
            "keldwick: preview runs the installer under Wine on a private Xvfb display, and wine, Xvfb are not on "
            "the PATH.\nInstall Wine and Xvfb (Debian and Ubuntu: sudo apt-get install wine xvfb) and run the "
            "preview again.\n");
  EXPECT_NE(builder::MissingToolsMessage({"Xvfb"}).find(", and Xvfb is not on the PATH."), std::string::npos);
}

}  // namespace
}  // namespace ks
