// Filling the main window's record from the settings or the uninstall key.
#include "display_settings.h"

#include "decimal_text.h"

namespace ks {
namespace {

uint32_t Le32(std::string_view b, size_t at) {
  return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
         uint32_t(uint8_t(b[at + 3])) << 24;
}

double Number(const std::optional<std::u16string>& text, double fallback) {
  if (!text || text->empty()) return fallback;
  std::string ascii(text->begin(), text->end());
  size_t used = 0;
  double v = ParseReal(ascii, &used);
  return used == 0 ? fallback : v;
}

}  // namespace

DisplaySettings DisplaySettingsFrom(const Settings& s, const AnsiCodePage& code_page) {
  DisplaySettings d;
  d.TitleColor = s.TitleColor;
  d.TopColor = s.TopColor;
  d.BottomColor = s.BottomColor;
  d.MonoColor = s.TopColor == s.BottomColor;
  d.BackgroundPicture = s.BackgroundPicture;
  d.BitmapTPI = d.BackgroundPicture.empty() ? -1 : int32_t(s.BitmapTPI);
  d.BitmapSize = int32_t(s.BitmapSize);
  d.StretchMode = int32_t(s.StretchMode);
  d.TitleShadow = s.TitleShadow;
  d.TitlePosition = s.TitlePosition;
  d.TitleFont = code_page.ToWide(s.TitleFont);
  d.TaskbarText = code_page.ToWide(s.TaskbarText);
  d.DisplayTitle = s.DisplayTitle;
  d.TitleSize = s.TitleSize;
  d.CopyrightPos = s.CopyrightPos;
  if (s.CopyrightPos != 0) {
    d.CopyrightText = s.CopyrightText;
    d.CopyrightColor = s.CopyrightColor;
    d.CopyrightSize = s.CopyrightSize;
    d.CopyrightFont = s.CopyrightFont;
  }
  return d;
}

DisplaySettings DisplaySettingsFromKey(const SavedValues& key, bool with_picture, uint32_t window_text_colour,
                                       uint32_t window_colour) {
  DisplaySettings d;
  auto dword = [&](std::u16string_view name, uint32_t fallback) { return key.dword(name).value_or(fallback); };
  auto text = [&](std::u16string_view name) { return key.text(name).value_or(u""); };
  d.DisplayTitle = text(u"DisplayTitle");
  d.TitleSize = Number(key.text(u"TitleSize"), 1.0);
  d.TitleColor = dword(u"TitleColor", window_text_colour);
  d.TitleShadow = uint8_t(dword(u"TitleShadow", 1));
  d.TopColor = dword(u"TopColor", window_colour);
  d.BottomColor = dword(u"BottomColor", 0);
  d.MonoColor = dword(u"MonoColor", 1) != 0;
  d.TitlePosition = uint8_t(dword(u"TitlePosition", 0));
  if (auto font = key.text(u"TitleFont"); font && !font->empty()) d.TitleFont = *font;
  d.TaskbarText = text(u"TaskbarText");
  d.CopyrightText = text(u"CopyrightText");
  if (auto font = key.text(u"CopyrightFont"); font && !font->empty()) d.CopyrightFont = *font;
  d.CopyrightSize = Number(key.text(u"CopyrightSize"), 0);
  // Saved as a decimal string by the installer.
  d.CopyrightColor = uint32_t(Number(key.text(u"CopyrightColor"), 0));
  d.CopyrightPos = uint8_t(dword(u"CopyrightPos", 0));
  if (with_picture) {
    d.BitmapTPI = int32_t(dword(u"BitmapTPI", UINT32_MAX));
    d.StretchMode = int32_t(dword(u"StretchMode", 0));
    d.BitmapSize = int32_t(dword(u"BitmapSize", 0));
  } else {
    d.BitmapSize = 0;
  }
  return d;
}

std::optional<DibInfo> ParseDib(std::string_view b) {
  if (b.size() < 40) return std::nullopt;
  uint32_t header = Le32(b, 0);
  if (header < 40 || header > b.size()) return std::nullopt;
  DibInfo info;
  info.width = int32_t(Le32(b, 4));
  info.height = int32_t(Le32(b, 8));
  info.bits = uint8_t(b[14]) | uint8_t(b[15]) << 8;
  uint32_t compression = Le32(b, 16);
  uint32_t used = Le32(b, 32);
  if (info.bits <= 8) info.colours = used ? int(used) : 1 << info.bits;
  else info.colours = int(used);
  size_t masks = (compression == 3 && header == 40) ? 12 : 0;  // BI_BITFIELDS
  info.header_size = header + masks + size_t(info.colours) * 4;
  if (info.width <= 0 || info.height == 0 || info.header_size > b.size() || info.colours > 256 + int(used))
    return std::nullopt;
  return info;
}

std::optional<std::string> DibFromBmpFile(std::string_view file) {
  if (file.size() < 14 + 40 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  return std::string(file.substr(14));
}

std::vector<std::u16string> SplitFaceList(std::u16string_view list) {
  std::vector<std::u16string> faces;
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(u',', start);
    if (comma == std::u16string_view::npos) comma = list.size();
    size_t a = start, z = comma;
    while (a < z && blank(list[a])) ++a;
    while (z > a && blank(list[z - 1])) --z;
    if (z > a) faces.emplace_back(list.substr(a, z - a));
    start = comma + 1;
  }
  return faces;
}

std::vector<std::u16string> SplitTextLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::u16string line;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines.push_back(line);
      line.clear();
      // CR LF and LF CR are one break.
      if (i + 1 < text.size() && (text[i + 1] == u'\r' || text[i + 1] == u'\n') && text[i + 1] != c) ++i;
    } else {
      line += c;
    }
  }
  lines.push_back(line);
  return lines;
}

}  // namespace ks

namespace ks {

std::string DibMask(std::string_view block, const DibInfo& info, int index) {
  if (info.bits != 1 && info.bits != 4 && info.bits != 8) return {};
  const int w = info.width, rows = info.height < 0 ? -info.height : info.height;
  const size_t stride = size_t((w * info.bits + 31) / 32) * 4;
  const size_t mask_stride = size_t((w + 31) / 32) * 4;
  if (block.size() < info.header_size + stride * size_t(rows)) return {};
  std::string mask(mask_stride * size_t(rows), '\0');
  for (int y = 0; y < rows; ++y) {
    const auto* row = reinterpret_cast<const uint8_t*>(block.data() + info.header_size + stride * size_t(y));
    for (int x = 0; x < w; ++x) {
      int bit = x * info.bits;
      int value = (row[bit / 8] >> (8 - info.bits - bit % 8)) & ((1 << info.bits) - 1);
      if (value == index) mask[mask_stride * size_t(y) + size_t(x / 8)] |= char(0x80 >> (x % 8));
    }
  }
  return mask;
}

}  // namespace ks

namespace ks {

std::string BmpFileFromDib(std::string_view block) {
  auto info = ParseDib(block);
  if (!info) return {};
  auto le32 = [](uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  return "BM" + le32(uint32_t(block.size() + 14)) + std::string(4, '\0') + le32(uint32_t(info->header_size + 14)) +
         std::string(block);
}

}  // namespace ks
