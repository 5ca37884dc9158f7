// The title and copyright lines of the main window: the first installed face
// of a list, shrunk a point at a time until the text fits, with its shadow.
#include <algorithm>
#include <map>

#include "core/wide.h"
#include "portable/main_window_layout.h"
#include "ui/main_window_paint.h"

namespace ks {
namespace {

int CALLBACK CountFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// Asked once per face for the life of the process: enumeration is slow.
bool FaceInstalled(HDC dc, std::u16string face) {
  static std::map<std::u16string, bool> known;
  for (char16_t& c : face) c = char16_t(towlower(wchar_t(c)));
  if (face.size() > 31) face.resize(31);
  auto it = known.find(face);
  if (it != known.end()) return it->second;
  LOGFONTW lf = {};
  lf.lfCharSet = DEFAULT_CHARSET;
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  bool found = false;
  EnumFontFamiliesExW(dc, &lf, CountFont, reinterpret_cast<LPARAM>(&found), 0);
  known[face] = found;
  return found;
}

std::u16string PickFace(HDC dc, const std::u16string& faces) {
  for (const std::u16string& face : SplitFaceList(faces))
    if (FaceInstalled(dc, face)) return face;
  return u"Arial";
}

HFONT MakeFont(int height, const std::u16string& face) {
  return CreateFontW(height, 0, 0, 0, 900, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     ANTIALIASED_QUALITY, DEFAULT_PITCH, W(face));
}

struct Measure {
  int width = 0, height = 0;
  std::vector<int> line_widths;
};

Measure MeasureLines(HDC dc, const std::vector<std::u16string>& lines) {
  Measure m;
  for (const std::u16string& line : lines) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, W(line), int(std::min<size_t>(line.size(), 8192)), &size);
    if (line.empty()) {  // an empty line still has a line's height
      TEXTMETRICW tm = {};
      GetTextMetricsW(dc, &tm);
      size.cy = tm.tmHeight;
    }
    m.width = std::max(m.width, int(size.cx));
    m.height += size.cy;
    m.line_widths.push_back(size.cx);
  }
  return m;
}

void DrawLines(HDC dc, const std::vector<std::u16string>& lines, const Measure& m, int position, int x, int y,
               int box_width, int line_height) {
  for (size_t i = 0; i < lines.size(); ++i, y += line_height) {
    int offset = LineOffset(position, box_width, m.line_widths[i]);
    TextOutW(dc, x + offset, y, W(lines[i]), int(std::min<size_t>(lines[i].size(), 8192)));
  }
}

}  // namespace

void DrawWindowText(HWND window, HDC dc, const std::u16string& text, const std::u16string& faces, double points,
                    COLORREF colour, int position, int shadow) {
  if (text.empty() || position == 0) return;
  RECT c;
  GetClientRect(window, &c);
  const Rect client{c.left, c.top, c.right, c.bottom};
  const std::u16string face = PickFace(dc, faces);
  const std::vector<std::u16string> lines = SplitTextLines(text);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);

  HFONT font = nullptr;
  HGDIOBJ old_font = nullptr;
  int h = 0, s = 0;
  Measure m;
  for (;;) {
    h = FontPixelHeight(dpi, points);
    s = ShadowOffset(h, shadow);
    font = MakeFont(h, face);
    HGDIOBJ previous = SelectObject(dc, font);
    if (!old_font) old_font = previous;
    m = MeasureLines(dc, lines);
    if (TextFits(m.width, s, client, points)) break;
    SelectObject(dc, old_font);
    DeleteObject(font);
    points -= 1;
  }

  TextOrigin o = TextBlockOrigin(client, position, m.height, s);
  int old_mode = SetBkMode(dc, TRANSPARENT);
  COLORREF old_colour = GetTextColor(dc);
  if (s > 0) {
    SetTextColor(dc, RGB(0, 0, 0));
    DrawLines(dc, lines, m, position, o.box_left + s, o.top + s, o.box_width, h);
  }
  SetTextColor(dc, colour);
  DrawLines(dc, lines, m, position, o.box_left, o.top, o.box_width, h);
  SetTextColor(dc, old_colour);
  SetBkMode(dc, old_mode);
  SelectObject(dc, old_font);
  DeleteObject(font);
}

}  // namespace ks
