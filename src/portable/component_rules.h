// Text rules of component registration: shared-list markers, the counted-files
// text, progress texts and the lines recorded for the uninstaller.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace ks {

// Applets are listed under this key (library path form).
inline constexpr char16_t kAppletKeyPath[] =
    u"\\HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls";

// SetupCopyOEMInf's "no digital signature" code, which some systems leave
// without a message text.
constexpr uint32_t kInfNoSignature = 0xE000022F;

// A shared-list entry without its marker: one "^", then one " ", then one
// 0xA9, each only when it ends the text at that point.
std::u16string StripSharedMarkers(std::u16string_view entry);

// Whether `entry` (marker included) is already in the counted-files text, and
// adding it: "\"entry\"", separated by ";".
bool IsCounted(std::u16string_view counted, std::u16string_view entry);
void AppendCounted(std::u16string& counted, std::u16string_view entry);

// Message 77 with every "<file>" replaced by `file`.
std::u16string ItemProgressText(std::u16string_view message, std::u16string_view file);
// What an applet's progress text names in place of a file.
std::u16string AppletProgressName(std::u16string_view applet_name);

// The applet's value name: the UTF-8 title, or without one the destination's
// file name.
std::u16string AppletName(std::string_view title_utf8, std::u16string_view destination);

// The [MSI] line (without its line end): "\"path\",level".
std::string MsiRecordLine(std::string_view path8, uint32_t ui_level);

// The log line of a failed INF copy, from its code and the system's text.
std::u16string InfFailureLine(uint32_t code, std::u16string_view system_text);

}  // namespace ks
