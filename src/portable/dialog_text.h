// Pure rules of the wizard's dialogs: which template variant a page loads and
// how a localised text has its product, description and system-folder placeholders filled.
#pragma once
#include <string>
#include <string_view>

namespace ks {

// "ChooseDirDlg" + 2 for variant 0 (banner), as is for 1 (side picture), + 3 otherwise (plain);
// values outside 0..2 fall to the plain template rather than to a missing resource.
std::string DialogTemplateName(std::string_view base, int variants);

struct TextPlaceholders {
  std::u16string_view product;
  std::u16string_view description;
  std::u16string_view os;  // the Windows folder as the system reports it
};
// Replaces every "<product>", "<description>" and "<os>"; replacements are not rescanned.
std::u16string FillPlaceholders(std::u16string_view text, const TextPlaceholders& values);

}  // namespace ks

namespace ks {

enum class ViewerText { kRichText, kUtf16, kUtf8, kEightBit };
struct ViewerContent {
  ViewerText kind;
  std::string rtf;        // kRichText: the text without a leading UTF-8 mark
  std::u16string text;    // kUtf16 / kUtf8: the decoded text, line breaks as CR LF
};
// Sorts a licence or readme text by its first bytes. FE FF texts are big-endian
// and are swapped; a UTF-8 text that fails to decode falls back to 8-bit.
ViewerContent ClassifyViewerText(std::string_view bytes);

}  // namespace ks
