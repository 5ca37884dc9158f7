// Text rules of component registration.
#include "portable/component_rules.h"

#include "portable/decimal_text.h"
#include "portable/overwrite_rules.h"
#include "portable/text.h"

namespace ks {

std::u16string StripSharedMarkers(std::u16string_view entry) {
  for (char16_t marker : {u'^', u' ', u'\u00A9'}) {
    if (!entry.empty() && entry.back() == marker) entry.remove_suffix(1);
  }
  return std::u16string(entry);
}

namespace {

std::u16string Quoted(std::u16string_view entry) { return u"\"" + std::u16string(entry) + u"\""; }

}  // namespace

bool IsCounted(std::u16string_view counted, std::u16string_view entry) {
  return counted.find(Quoted(entry)) != std::u16string_view::npos;
}

void AppendCounted(std::u16string& counted, std::u16string_view entry) {
  if (!counted.empty()) counted += u';';
  counted += Quoted(entry);
}

std::u16string ItemProgressText(std::u16string_view message, std::u16string_view file) {
  constexpr std::u16string_view kPlaceholder = u"<file>";
  std::u16string out;
  size_t from = 0;
  for (size_t at; (at = message.find(kPlaceholder, from)) != std::u16string_view::npos;) {
    out.append(message.substr(from, at - from));
    out.append(file);
    from = at + kPlaceholder.size();
  }
  out.append(message.substr(from));
  return out;
}

std::u16string AppletProgressName(std::u16string_view applet_name) {
  return u"Control Panel extension \"" + std::u16string(applet_name) + u"\"";
}

std::u16string AppletName(std::string_view title_utf8, std::u16string_view destination) {
  if (!title_utf8.empty()) return Utf8ToUtf16(title_utf8);
  return std::u16string(LastPathComponent(destination));
}

std::string MsiRecordLine(std::string_view path8, uint32_t ui_level) {
  return "\"" + std::string(path8) + "\"," + std::to_string(ui_level);
}

std::u16string InfFailureLine(uint32_t code, std::u16string_view system_text) {
  std::u16string text(system_text);
  if (text.empty() && code == kInfNoSignature) text = u"The INF does not contain digital signature information.";
  return u"FAILED!  Code 0x" + Widen(HexText(code, 8)) + u": " + text + u"\r\n";
}

}  // namespace ks
