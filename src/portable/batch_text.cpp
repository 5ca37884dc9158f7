// The generated batch file's text and bytes.
#include "portable/batch_text.h"

#include "portable/text.h"
#include "portable/variables.h"

namespace ks {

const BatchVariable kBatchVariables[kBatchVariableCount] = {
    {u"InstallDir", kVarInstallDir, false},
    {u"InstallDrive", kVarInstallDrive, false},
    {u"Bits", kVarBits, false},
    {u"UninstallDir", kVarUninstallDir, false},
    {u"SharedDir", kVarSharedDir, false},
    {u"InstallerFilepath", kVarInstallerFilepath, false},
    {u"InstallerDir", kVarInstallerDir, false},
    {u"InstallerFilename", kVarInstallerFilename, false},
    {u"InstallerDrive", kVarInstallerDrive, true},
    {u"SystemDir", kVarSystemDir, false},
    {u"DeviceDir", kVarDeviceDir, false},
    {u"MediaDir", kVarMediaDir, false},
    {u"FavoritesDir", kVarFavoritesDir, false},
    {u"FavoritesAllDir", kVarFavoritesAllDir, false},
    {u"FontDir", kVarFontDir, false},
    {u"DesktopDir", kVarDesktopDir, false},
    {u"DesktopAllDir", kVarDesktopAllDir, false},
    {u"DesktopShortcuts", kVarDesktopShortcuts, false},
    {u"DocumentDir", kVarDocumentDir, false},
    {u"DocumentAllDir", kVarDocumentAllDir, false},
    {u"ProductName", kVarProductName, false},
    {u"ProgramsDir", kVarProgramsDir, false},
    {u"ProgramsDir32", kVarProgramsDir32, false},
    {u"ProgramsDir64", kVarProgramsDir64, false},
    {u"StartMenuAllDir", kVarStartMenuAllDir, false},
    {u"StartMenuChosen", kVarStartMenuChosen, false},
    {u"StartMenuDir", kVarStartMenuDir, false},
    {u"SMProgramsDir", kVarSMProgramsDir, false},
    {u"SMProgramsAllDir", kVarSMProgramsAllDir, false},
    {u"StartupDir", kVarStartupDir, false},
    {u"StartupAllDir", kVarStartupAllDir, false},
    {u"BootDrive", kVarBootDrive, false},
    {u"CommonDir", kVarCommonDir, false},
    {u"CommonDir32", kVarCommonDir32, false},
    {u"CommonDir64", kVarCommonDir64, false},
    {u"Inetpub", kVarInetpub, false},
    {u"AppDataDir", kVarAppDataDir, false},
    {u"AppDataAllDir", kVarAppDataAllDir, false},
    {u"Version", kVarVersion, false},
    {u"OldVersion", kVarOldVersion, false},
    {u"OldVersionMajor", kVarOldVersionMajor, false},
    {u"OldVersionMinor", kVarOldVersionMinor, false},
};

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool IsPauseLine(std::string_view line) {
  line = Trimmed(line);
  if (!line.empty() && line.front() == '@') line = Trimmed(line.substr(1));
  return EqualsNoCase8(line, "PAUSE");
}

// Characters that end a word, start a command, a redirection or a block, or
// begin a variable when cmd reads an unquoted command line.
bool NeedsQuotes(std::u16string_view path) {
  return path.find_first_of(u" \t&|<>^()%!,;=") != std::u16string_view::npos;
}

// Lone surrogates have no form in either code page: "?" like any other
// character that cannot be written.
std::u16string WithoutLoneSurrogates(std::u16string_view text) {
  std::u16string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    char16_t c = out[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out[i] = u'?';
    }
  }
  return out;
}

}  // namespace

std::u16string BatchSetLine(std::u16string_view name, std::u16string_view value) {
  std::u16string line = u"SET \"";
  line += name;
  line += u'=';
  bool quoted = true;  // inside the quotes that SET removes again
  for (char16_t c : value) {
    switch (c) {
      case u'%':
        line += u"%%";
        break;
      case u'\r':
      case u'\n':
        line += u' ';
        break;
      case u'"':
        line += c;
        quoted = !quoted;
        break;
      case u'^':
      case u'&':
      case u'|':
      case u'<':
      case u'>':
      case u'(':
      case u')':
        if (!quoted) line += u'^';
        line += c;
        break;
      default:
        line += c;
    }
  }
  line += u"\"\r\n";
  return line;
}

std::u16string BatchPreamble(const BatchValue& value) {
  std::u16string text = u"@echo off\r\n";
  for (const BatchVariable& v : kBatchVariables) {
    std::u16string current = value(v.id);
    if (v.drive_colon && !current.empty()) current += u':';
    text += BatchSetLine(v.name, current);
  }
  return text;
}

std::string WithoutPauseLines(std::string_view text) {
  // Lines end where the file's line ends will be: at CR LF, LF or a lone CR.
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    size_t end = text.find_first_of("\r\n");
    size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end != std::string_view::npos && text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    if (!IsPauseLine(text.substr(0, end == std::string_view::npos ? text.size() : end))) out += text.substr(0, next);
    text.remove_prefix(next);
  }
  return out;
}

std::string WithExtraCommands(std::string_view text, std::string_view extra) {
  std::string out(text);
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
  out += extra;
  return out;
}

BatchCodePage ChooseBatchCodePage(std::u16string_view text, bool utf8_system) {
  if (!utf8_system) return BatchCodePage::k1252;
  for (char16_t c : text)
    if (c >= 0x80) return BatchCodePage::kUtf8;
  return BatchCodePage::k1252;
}

std::string BatchFileBytes(std::u16string_view text, bool utf8_system) {
  bool utf8 = ChooseBatchCodePage(text, utf8_system) == BatchCodePage::kUtf8;
  std::u16string whole = utf8 ? u"@chcp 65001 >nul\r\n" : u"@chcp 1252 >nul\r\n";
  whole += WithoutLoneSurrogates(text);
  whole = NormaliseLineEnds(whole);
  if (whole.back() != u'\n') whole += u"\r\n";
  return utf8 ? Utf16ToUtf8(whole) : Utf16ToCp1252(whole);
}

std::string ComposeBatchFile(std::string_view text, bool drop_pause, const BatchValue& value, bool utf8_system) {
  std::u16string whole = BatchPreamble(value);
  whole += Cp1252ToUtf16(drop_pause ? WithoutPauseLines(text) : std::string(text));
  return BatchFileBytes(whole, utf8_system);
}

std::string CapturedOutputForLog(std::string_view captured) {
  size_t end = captured.find_last_not_of(" \t\r\n\v\f");
  if (end == std::string_view::npos) return {};
  std::string out(captured.substr(0, end + 1));
  out += "\r\n\r\n";
  return out;
}

std::u16string BatchCommandLine(std::u16string_view interpreter, std::u16string_view batch_path,
                                std::u16string_view capture_path) {
  bool quote = NeedsQuotes(batch_path) || NeedsQuotes(capture_path);
  auto word = [quote](std::u16string_view path) {
    return quote ? u"\"" + std::u16string(path) + u"\"" : std::u16string(path);
  };
  std::u16string command = word(batch_path);
  if (!capture_path.empty()) command += u" > " + word(capture_path);
  if (quote) command = u"\"" + command + u"\"";
  return u"\"" + std::u16string(interpreter) + u"\" /c " + command;
}

}  // namespace ks
