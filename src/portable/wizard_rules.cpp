// The wizard's pure rules.
#include "wizard_rules.h"

#include <algorithm>

#include "decimal_text.h"

namespace ks {

std::string TemplateName(std::string_view base, uint32_t variant) {
  std::string name(base);
  if (variant == 0) return name + "2";
  if (variant == 1) return name;
  return name + "3";
}

ViewerText DecodeViewerText(std::string_view bytes, const AnsiCodePage& code_page) {
  ViewerText out;
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  std::string_view after_bom = bytes.substr(0, 3) == kBom ? bytes.substr(3) : bytes;
  if (after_bom.substr(0, 5) == "{\\rtf") {
    out.kind = ViewerKind::kRich;
    out.rich = std::string(after_bom);
    return out;
  }
  if (bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
    // FE FF is the big-endian order: read it as such rather than as garbage.
    bool big = bytes[0] == '\xFE';
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      auto a = uint8_t(bytes[i]), b = uint8_t(bytes[i + 1]);
      text += char16_t(big ? (a << 8 | b) : (b << 8 | a));
    }
    out.kind = ViewerKind::kUtf16;
    out.text = NormaliseLineEnds(text);
    return out;
  }
  if (bytes.substr(0, 3) == kBom) {
    bool ok = false;
    std::u16string text = Utf8ToUtf16(after_bom, &ok);
    if (ok) {
      out.kind = ViewerKind::kUtf8;
      out.text = NormaliseLineEnds(text);
      return out;
    }
  }
  out.kind = ViewerKind::kAnsi;
  out.text = NormaliseLineEnds(code_page.ToWide(bytes));
  return out;
}

std::u16string FormatSpace(uint64_t bytes) {
  if (bytes < 1024) return Widen(std::to_string(int(bytes)) + " bytes");
  static constexpr const char* kUnits[] = {" KB", " MB", " GB", " TB"};
  int unit = 0;
  while (unit < 3 && bytes >= uint64_t(1) << (10 * (unit + 2))) ++unit;
  return Widen(FixedText(double(bytes) / double(uint64_t(1) << (10 * (unit + 1))), 2) + kUnits[unit]);
}

std::optional<char> FolderDriveLetter(std::string_view text) {
  if (!text.empty() && text[0] == '|') text.remove_prefix(1);
  if (text.size() < 2 || text[1] != ':') return std::nullopt;
  char c = text[0];
  if (c >= 'a' && c <= 'z') return char(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return c;
  return std::nullopt;
}

bool StartMenuFolderValid(std::u16string_view text) {
  if (text.find_first_of(u"/\"<>|*?:;") != std::u16string_view::npos) return false;
  if (!text.empty() && text[0] == u'\\') return false;
  return text.find(u"\\\\") == std::u16string_view::npos;
}

namespace {

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

int PreselectedLanguage(const std::vector<std::u16string>& entries, std::u16string_view native_name) {
  std::u16string_view cut = native_name.substr(0, native_name.find(u'('));
  std::u16string wanted = u"\t" + std::u16string(Trim(cut));
  for (const std::u16string& name : {wanted, std::u16string(u"\tEnglish")}) {
    auto it = std::find(entries.begin(), entries.end(), name);
    if (it != entries.end()) return int(it - entries.begin());
  }
  return 0;
}

std::u16string GreetingLinkMarkup(std::u16string_view text, std::u16string_view target) {
  std::u16string out(text);
  size_t at = out.find(u"<a>");
  if (at != std::u16string::npos) out.replace(at, 3, u"<a href=\"" + std::u16string(target) + u"\">");
  return out;
}

std::vector<Rect> SummaryBoxRects(uint32_t variant, int offered) {
  int x = 4, y = 32 + 7 * offered;
  if (variant == 1) x = 102, y = 52;
  if (variant == 2) x = 20, y = 78;
  std::vector<Rect> rects;
  for (int i = 0; i < offered; ++i, y += 14) rects.push_back({x, y, 275, y + 9});
  return rects;
}

Rect PlaceWindow(const Rect& window, const Rect& area, uint32_t code) {
  int w = window.right - window.left, h = window.bottom - window.top;
  int x = window.left, y = window.top;
  switch (code & 3) {
    case 1: x = area.left; break;
    case 2: x = area.right - w; break;
    case 3: x = area.left + (area.right - area.left - w) / 2; break;
  }
  switch (code & 0x18) {
    case 8: y = area.top; break;
    case 16: y = area.bottom - h; break;
    case 24: y = area.top + (area.bottom - area.top - h) / 2; break;
  }
  return {x, y, x + w, y + h};
}

std::vector<Rect> LayoutButtonRow(const std::vector<RowButton>& buttons, const RowMetrics& m) {
  // Right to left, equal edges in their order: the inverted left edge (made
  // unsigned with its order kept) above the position, as one sortable key.
  std::vector<uint64_t> keys(buttons.size());
  for (size_t i = 0; i < keys.size(); ++i)
    keys[i] = uint64_t(~(uint32_t(buttons[i].rect.left) ^ 0x80000000u)) << 32 | i;
  std::sort(keys.begin(), keys.end());
  std::vector<size_t> order(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) order[i] = uint32_t(keys[i]);
  std::vector<Rect> out(buttons.size());
  int moved = 0;
  const Rect* right_neighbour = nullptr;
  for (size_t i : order) {
    Rect r = buttons[i].rect;
    int growth = std::max(0, buttons[i].caption_width + m.image_width + m.padding - r.width() - 1);
    r.left -= moved + growth;
    r.right -= moved;
    if (right_neighbour && r.right > right_neighbour->left - m.unit) {
      int shift = r.right - (right_neighbour->left - m.unit);
      r.left -= shift;
      r.right -= shift;
      growth += shift;
    }
    moved += growth;
    out[i] = r;
    right_neighbour = &out[i];
  }
  if (order.empty()) return out;
  // The whole row ends one unit from the right edge.
  int shift = m.client_width - m.unit - out[order.front()].right;
  for (Rect& r : out) r.left += shift, r.right += shift;
  // Taken back evenly when it starts left of one unit: the left-most button
  // moves by the whole overflow, the right-most by none, those between by
  // their share; a button squeezed against its neighbour gives up width.
  int overflow = m.unit - out[order.back()].left;
  if (overflow > 0) {
    size_t n = order.size();
    for (size_t k = 0; k < n; ++k) {
      Rect& r = out[order[k]];
      int step = n == 1 ? overflow : int(int64_t(overflow) * int64_t(k) / int64_t(n - 1));
      r.left += step;
      r.right += step;
      int limit = k == 0 ? m.client_width - m.unit : out[order[k - 1]].left - 1;
      if (r.right > limit) r.right = std::max(r.left, limit);
    }
  }
  return out;
}

}  // namespace ks
