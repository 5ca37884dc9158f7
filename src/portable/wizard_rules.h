// The wizard's pure rules: which template a page loads, how the text viewer
// reads its bytes, the folder and start-menu page checks, and the layout sums.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text.h"

namespace ks {

// "ChooseDirDlg" + "2" for variant 0, the base name for 1, + "3" otherwise.
std::string TemplateName(std::string_view base, uint32_t variant);

// What the licence and readme viewer makes of a text's bytes.
enum class ViewerKind { kRich, kUtf16, kUtf8, kAnsi };
struct ViewerText {
  ViewerKind kind = ViewerKind::kAnsi;
  std::string rich;     // kRich: the text without a leading byte-order mark
  std::u16string text;  // the others: the text to show, line ends CR LF
};
ViewerText DecodeViewerText(std::string_view bytes, const AnsiCodePage& code_page);

// "%d bytes" below 1 KiB, then "%.2f KB" / "MB" / "GB" / "TB" in binary units.
std::u16string FormatSpace(uint64_t bytes);

// The drive letter of the folder page's text: upper-cased, when the text starts
// with a letter and a colon (one leading '|' skipped).
std::optional<char> FolderDriveLetter(std::string_view text);

// OK on the start-menu page: none of / " < > | * ? : ; no leading backslash,
// no two backslashes in a row. Empty is valid.
bool StartMenuFolderValid(std::u16string_view text);

// The list index the language page starts on: the system's language name cut
// before "(" and trimmed, else "English", else the first entry. Entries are
// matched as the list holds them ("\t" + name).
int PreselectedLanguage(const std::vector<std::u16string>& entries, std::u16string_view native_name);

// The greeting's link text: the first "<a>" becomes <a href="target">.
std::u16string GreetingLinkMarkup(std::u16string_view text, std::u16string_view target);

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  bool operator==(const Rect&) const = default;
};

// The summary's offered check boxes, in dialog units, top to bottom.
std::vector<Rect> SummaryBoxRects(uint32_t variant, int offered);

// Where a window of the given size goes inside `area` for a ProgressPosition
// code (bits 0-1 horizontal, bits 3-4 vertical; 0 keeps that coordinate).
Rect PlaceWindow(const Rect& window, const Rect& area, uint32_t code);

// A row of buttons, right-most first after sorting; each grows to fit its
// caption and the row ends `unit` pixels from the client area's right edge,
// never starting left of `unit` (the overflow is taken back evenly).
struct RowButton {
  Rect rect;          // client coordinates
  int caption_width;  // measured with the button's font
};
struct RowMetrics {
  int client_width = 0;
  int unit = 0;         // horizontal dialog base unit in pixels
  int padding = 0;      // 2 units + 2 edges
  int image_width = 0;  // 0 without images
};
std::vector<Rect> LayoutButtonRow(const std::vector<RowButton>& buttons, const RowMetrics& m);

}  // namespace ks
