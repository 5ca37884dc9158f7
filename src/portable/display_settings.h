// What the main window paints: one record filled from the installer settings
// or, in the uninstaller, from the values saved in the uninstall key.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "settings.h"
#include "text.h"

namespace ks {

struct DisplaySettings {
  uint32_t TitleColor = 0xFFFEF7;
  uint32_t TopColor = 0xFFFFFFFF;
  uint32_t BottomColor = 0xFFFFFFFF;
  bool MonoColor = false;
  Blob BackgroundPicture;  // packed DIB: header, colour table, rows
  int32_t BitmapTPI = -1;
  int32_t BitmapSize = 0;
  int32_t StretchMode = 2;
  uint8_t TitleShadow = 1;
  uint8_t TitlePosition = 0;
  bool full_screen = true;
  std::u16string TitleFont = u"Cambria Bold Italic, Times New Roman Bold Italic";
  std::u16string TaskbarText;
  std::u16string DisplayTitle;
  double TitleSize = 1.0;
  uint8_t CopyrightPos = 0;
  std::u16string CopyrightText;
  uint32_t CopyrightColor = 0xFEFCEC;
  double CopyrightSize = 1.0;
  std::u16string CopyrightFont = u"Calibri Bold Italic, Verdana Bold Italic, Arial Bold Italic";
};

// The installer's record: 8-bit texts converted with `code_page`.
DisplaySettings DisplaySettingsFrom(const Settings& s, const AnsiCodePage& code_page);

// The uninstaller's record from the uninstall key. `dword` and `text` answer
// one value each (nullopt when missing); the defaults are the uninstaller's.
struct SavedValues {
  std::function<std::optional<uint32_t>(std::u16string_view)> dword;
  std::function<std::optional<std::u16string>(std::u16string_view)> text;
};
DisplaySettings DisplaySettingsFromKey(const SavedValues& key, bool with_picture, uint32_t window_text_colour,
                                       uint32_t window_colour);

// The shape of a packed DIB, or nullopt when the block is too short for its
// header and colour table.
struct DibInfo {
  int width = 0, height = 0, bits = 0;
  size_t header_size = 0;  // header plus colour table: where the rows start
  int colours = 0;         // entries in the colour table
};
std::optional<DibInfo> ParseDib(std::string_view block);

// A .bmp file's contents without its 14-byte file header, or nullopt when
// the file does not start with "BM".
std::optional<std::string> DibFromBmpFile(std::string_view file);

// Splits a face list at commas, trimming spaces, tabs, CR and LF; empty items dropped.
std::vector<std::u16string> SplitFaceList(std::u16string_view list);

// Splits text into lines at CR, LF, CR LF or LF CR.
std::vector<std::u16string> SplitTextLines(std::u16string_view text);

}  // namespace ks

namespace ks {

// The 1-bit mask of a palette picture (1 where the pixel is palette entry
// `index`), rows in the picture's own order, each padded to 32 bits. Empty
// when the picture has more than 8 bits per pixel or is cut short.
std::string DibMask(std::string_view block, const DibInfo& info, int index);

}  // namespace ks

namespace ks {

// The .bmp file of a packed DIB: the 14-byte file header ("BM", total size,
// pixel offset after the header and colour table) and the block. Empty when
// the block is not a DIB.
std::string BmpFileFromDib(std::string_view block);

}  // namespace ks
