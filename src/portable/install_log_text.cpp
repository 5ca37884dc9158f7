// The texts of Install.log.
#include "install_log_text.h"

#include "engine_version.h"
#include "path_rules.h"
#include "text.h"

namespace ks {

std::string LogUtf8(std::u16string_view text) {
  std::u16string clean;
  clean.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      clean.push_back(c);
      clean.push_back(text[++i]);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      clean.push_back(u'?');
    } else {
      clean.push_back(c);
    }
  }
  return Utf16ToUtf8(clean);
}

std::string LogUtf8From1252(std::string_view text) { return Utf16ToUtf8(Cp1252ToUtf16(text)); }

std::string LogHeaderText(const LogHeader& h) {
  std::u16string text = u"Installation log for: " + h.product_name + u"\r\n";
  text += u"Install date: " + Widen(FormatDate(kInstallDateFormat, h.date)) + u"\r\n";
  if (h.creates_uninstaller) text += std::u16string(u"Install type: ") + (h.reinstall ? u"Reinstall" : u"New") + u"\r\n";
  text += u"Install location: " + h.install_folder + u"\r\n";
  text += u"Installer version: " + Widen(kEngineVersion) + u"\r\n";
  if (!h.product_version.empty()) text += u"Product version: " + h.product_version + u"\r\n";
  if (h.earlier_installation) text += u"Overwriting version: " + h.old_version + u"\r\n";
  text += u"Operating system: " + h.os_name + u"\r\n\r\n";
  return LogUtf8(text);
}

std::string_view LogSectionLead(bool file_empty) { return file_empty ? kUtf8Bom : kLogSeparator; }

bool StartsWithUtf8Bom(std::string_view bytes) { return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom; }

std::string ConvertOldLog(std::string_view cp1252) { return std::string(kUtf8Bom) + LogUtf8From1252(cp1252); }

std::string LogTailText(std::u16string_view failure_summary, std::u16string_view success_line) {
  if (failure_summary.empty()) return LogUtf8(success_line) + "\r\n";
  return std::string(kFailureSummaryTitle) + LogUtf8(failure_summary);
}

std::u16string FileFailureParagraph(std::u16string_view message31, std::u16string_view path,
                                    std::u16string_view error_text) {
  return std::u16string(message31) + u" " + std::u16string(path) + u"\r\n" + std::u16string(error_text) +
         u"\r\n\r\n";
}

namespace {

constexpr std::u16string_view kStreamPrefix = u"OQTL";
constexpr std::u16string_view kStreamSuffix = u".tmp";
constexpr size_t kStreamDigits = 8;

bool IsHexDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'); }

}  // namespace

std::u16string LogStreamName(uint32_t unique) {
  std::u16string name(kStreamPrefix);
  for (int shift = 28; shift >= 0; shift -= 4) name.push_back(u"0123456789ABCDEF"[(unique >> shift) & 0xF]);
  return name + std::u16string(kStreamSuffix);
}

bool IsLogStreamName(std::u16string_view name) {
  if (name.size() != kStreamPrefix.size() + kStreamDigits + kStreamSuffix.size()) return false;
  auto same = [](std::u16string_view a, std::u16string_view b) {
    for (size_t i = 0; i < a.size(); ++i)
      if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
  };
  if (!same(name.substr(0, kStreamPrefix.size()), kStreamPrefix)) return false;
  if (!same(name.substr(name.size() - kStreamSuffix.size()), kStreamSuffix)) return false;
  for (char16_t c : name.substr(kStreamPrefix.size(), kStreamDigits))
    if (!IsHexDigit(c)) return false;
  return true;
}

std::u16string FallbackLogName(std::u16string_view product_name) {
  std::u16string name;
  for (char16_t c : product_name)
    name.push_back(c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos ? u'_' : c);
  // Trailing dots and spaces vanish from file names; leading spaces look odd.
  while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
  while (!name.empty() && name.front() == u' ') name.erase(0, 1);
  if (name.empty()) name = u"Setup";
  return name + u" " + std::u16string(kInstallLogName);
}

std::u16string InstallLogPath(std::u16string_view install_folder, std::u16string_view uninstall_subdir) {
  return JoinPath(JoinPath(install_folder, uninstall_subdir), kInstallLogName);
}

}  // namespace ks
