// The variable table, the replacement scan in both text forms and the value rules.
#include "portable/variables.h"

#include "portable/text.h"
#include "portable/path_rules.h"

namespace ks {

const VariableName kVariables[kVariableCount] = {
    {"%AppDataAllDir%", false},
    {"%AppDataDir%", false},
    {"%Bits%", false},
    {"%BootDrive%", false},
    {"%CommonDir%", false},
    {"%CommonDir32%", false},
    {"%CommonDir64%", false},
    {"%DesktopAllDir%", false},
    {"%DesktopDir%", false},
    {"%DesktopShortcuts%", false},
    {"%DeviceDir%", false},
    {"%DocumentAllDir%", false},
    {"%DocumentDir%", false},
    {"%FavoritesAllDir%", false},
    {"%FavoritesDir%", false},
    {"%FontDir%", false},
    {"%Inetpub%", false},
    {"%InstallDir%", false},
    {"%InstallDrive%", false},
    {"%InstallerDir%", false},
    {"%InstallerDrive%", false},
    {"%InstallerFilename%", false},
    {"%InstallerFilepath%", false},
    {"%MediaDir%", false},
    {"%OldVersion%", false},
    {"%OldVersionMajor%", true},
    {"%OldVersionMinor%", true},
    {"%ProductName%", false},
    {"%ProgramsDir%", false},
    {"%ProgramsDir32%", false},
    {"%ProgramsDir64%", false},
    {"%SharedDir%", false},
    {"%SMProgramsAllDir%", false},
    {"%SMProgramsDir%", false},
    {"%StartMenuAllDir%", false},
    {"%StartMenuChosen%", false},
    {"%StartMenuDir%", false},
    {"%StartupAllDir%", false},
    {"%StartupDir%", false},
    {"%SystemDir%", false},
    {"%Temp%", false},
    {"%UninstallDir%", false},
    {"%Version%", false},
    {"%WinDir%", false},
};

namespace {

template <typename Char>
Char FoldAscii(Char c) {
  return c >= Char('a') && c <= Char('z') ? Char(c - Char('a') + Char('A')) : c;
}

// Whether the table name (ASCII) stands at `at` in `text`.
template <typename Char>
bool NameAt(const std::basic_string<Char>& text, size_t at, std::string_view name, bool exact_case) {
  if (text.size() - at < name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    Char t = text[at + i];
    Char n = Char(static_cast<unsigned char>(name[i]));
    if (exact_case ? t != n : FoldAscii(t) != FoldAscii(n)) return false;
  }
  return true;
}

template <typename Char, typename Convert>
void ReplaceAll(std::basic_string<Char>& text, VariableSource& source, Convert convert) {
  for (int id = 0; id < kVariableCount; ++id) {
    std::string_view name = kVariables[id].name;
    bool asked = false;
    std::basic_string<Char> value;
    for (size_t at = 0; at + name.size() <= text.size();) {
      // Every name starts with a percent sign; skip straight to the next one.
      size_t percent = text.find(Char('%'), at);
      if (percent == std::basic_string<Char>::npos) break;
      if (!NameAt(text, percent, name, kVariables[id].exact_case)) {
        at = percent + 1;
        continue;
      }
      if (!asked) {
        value = convert(source.Value(id));
        asked = true;
      }
      text.replace(percent, name.size(), value);
      at = percent + value.size();  // the value is not searched for this name again
    }
  }
}


}  // namespace

void ReplaceVariables(std::u16string& text, VariableSource& source) {
  ReplaceAll(text, source, [](std::u16string value) { return value; });
}

void ReplaceVariables(std::string& text, VariableSource& source) {
  ReplaceAll(text, source, [](const std::u16string& value) { return SystemCodePage().FromWide(value); });
}

std::u16string VersionPiece(std::u16string_view version, int index) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    size_t dot = version.find(u'.', start);
    if (dot == std::u16string_view::npos) return {};
    start = dot + 1;
  }
  size_t dot = version.find(u'.', start);
  return std::u16string(version.substr(start, dot == std::u16string_view::npos ? dot : dot - start));
}

int NormaliseFolderMode(int mode, bool windows_is_64bit) {
  if (!windows_is_64bit) return kFolderModeNative;
  if (mode == kFolderMode64WhereAvailable) return kFolderMode64;
  if (mode == kFolderMode32) return kFolderModeNative;
  return mode;
}

std::u16string WithoutX86(std::u16string_view path) {
  std::u16string out(path);
  size_t at = out.find(u" (x86)");
  if (at != std::u16string::npos) out.erase(at, 6);
  return out;
}

std::u16string JoinFolder(std::u16string_view folder, std::u16string_view name) {
  std::u16string out(folder);
  if (name.empty()) return out;
  bool folder_slash = !out.empty() && out.back() == u'\\';
  bool name_slash = name.front() == u'\\';
  if (folder_slash && name_slash)
    out.pop_back();
  else if (!folder_slash && !name_slash && !(!out.empty() && out.back() == u':'))
    out.push_back(u'\\');
  out += name;
  return out;
}

std::u16string FolderOfPath(std::u16string_view path) {
  size_t slash = path.rfind(u'\\');
  if (slash == std::u16string_view::npos) return {};
  if (slash > 0 && path[slash - 1] == u':') ++slash;  // keep the root's backslash
  return std::u16string(path.substr(0, slash));
}

std::u16string FileNameOfPath(std::u16string_view path) {
  size_t slash = path.rfind(u'\\');
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

std::u16string WithoutTrailingBackslash(std::u16string_view path) {
  if (path.size() > 3 && path.back() == u'\\') path.remove_suffix(1);
  return std::u16string(path);
}

std::u16string DriveLetterOf(std::u16string_view path) {
  if (!HasDriveLetter(path)) return {};
  return std::u16string(1, AsciiUpper(path[0]));
}

std::u16string BootDriveFromBootDir(std::u16string_view boot_dir) {
  std::u16string letter = DriveLetterOf(boot_dir);
  return (letter.empty() ? u"C" : letter) + u":";
}

std::u16string FirstDevicePath(std::u16string_view device_path, std::u16string_view system_root) {
  std::u16string entry(device_path.substr(0, device_path.find(u';')));
  constexpr std::u16string_view kRoot = u"%SystemRoot%";
  if (system_root.empty()) return entry;
  for (size_t at = 0; at + kRoot.size() <= entry.size(); ++at) {
    if (EqualsNoCase(std::u16string_view(entry).substr(at, kRoot.size()), kRoot)) {
      entry.replace(at, kRoot.size(), system_root);
      break;
    }
  }
  return entry;
}

std::u16string InetpubFromWebRoot(std::u16string_view web_root) {
  return WithoutTrailingBackslash(FolderOfPath(WithoutTrailingBackslash(web_root)));
}

}  // namespace ks
