// The resolvers behind the folder variables and the two ExpandVariables forms.
#include "script/folder_variables.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "core/library_loader.h"
#include "core/registry_key.h"
#include "core/wide.h"
#include "portable/text.h"

namespace ks {
namespace {

constexpr size_t kMaxSettingLength = 4096;
constexpr size_t kMaxShortSettingLength = 64;
constexpr DWORD kMaxEnvironmentValue = 65536;

constexpr char16_t kShellFoldersKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kMachineKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion";

// Known folders the 64-bit fallbacks ask for.
constexpr GUID kProgramFilesX64 = {0x6D809377, 0x6AF0, 0x444B, {0x89, 0x57, 0xA3, 0x77, 0x3F, 0x02, 0x20, 0x0E}};
constexpr GUID kProgramFiles = {0x905E63B6, 0xC1BF, 0x494E, {0xB2, 0x9C, 0x65, 0xB7, 0x32, 0xD3, 0xD2, 0x1A}};
constexpr GUID kProgramFilesCommonX64 = {0x6365D5A7, 0x0F0D, 0x45E5, {0x87, 0xF6, 0x0D, 0xA5, 0x6B, 0x6A, 0x4F, 0x7D}};
constexpr GUID kProgramFilesCommon = {0xF7F1ED05, 0x9F6D, 0x47A2, {0xAA, 0xAE, 0x29, 0xD3, 0x17, 0xC6, 0xF0, 0x66}};

// The shell's folder by CSIDL, never created here.
std::u16string SpecialFolder(int csidl) {
  using Fn = BOOL(WINAPI*)(HWND, wchar_t*, int, BOOL);
  static const auto get = SystemProc<Fn>(L"shell32.dll", "SHGetSpecialFolderPathW");
  if (!get) return {};
  wchar_t buffer[MAX_PATH] = {};
  if (!get(nullptr, buffer, csidl, FALSE)) return {};
  buffer[MAX_PATH - 1] = 0;
  return U16(buffer);
}

std::u16string KnownFolder(const GUID& id) {
  using Fn = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, wchar_t**);
  static const auto get = SystemProc<Fn>(L"shell32.dll", "SHGetKnownFolderPath");
  if (!get) return {};
  wchar_t* path = nullptr;
  HRESULT hr = get(id, 0, nullptr, &path);
  std::u16string out = SUCCEEDED(hr) && path ? U16(path) : std::u16string();
  CoTaskMemFree(path);
  return out;
}

std::u16string RegistryText(HKEY root, std::u16string_view key_name, std::u16string_view value, size_t limit) {
  RegistryKey key;
  if (!Opened(key.Open(root, key_name, kRegOpenOnly | kRegNoStack, kRegRead))) return {};
  std::u16string text = key.ReadValueText(value, u"");
  if (text.size() > limit) text.resize(limit);
  return text;
}

// A Shell Folders value: HKLM for the all-users folders, HKCU for the user's.
std::u16string ShellFolder(HKEY root, std::u16string_view name) {
  return WithoutTrailingBackslash(RegistryText(root, kShellFoldersKey, name, kMaxSettingLength));
}

std::u16string MachineSetting(std::u16string_view name) {
  return WithoutTrailingBackslash(RegistryText(HKEY_LOCAL_MACHINE, kMachineKey, name, kMaxSettingLength));
}

// Empty when absent or unreasonably long.
std::u16string EnvironmentValue(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0 || size > kMaxEnvironmentValue) return {};
  std::vector<wchar_t> buffer(size);
  DWORD n = GetEnvironmentVariableW(name, buffer.data(), size);
  if (n == 0 || n >= size) return {};
  return U16(buffer.data(), n);
}

// The first step of a chain that gives a non-empty folder.
template <typename... Steps>
std::u16string FirstOf(Steps... steps) {
  std::u16string value;
  ((value.empty() ? void(value = steps()) : void()), ...);
  return value;
}

std::u16string SystemFolder() {
  wchar_t buffer[MAX_PATH] = {};
  UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return U16(buffer, n);
  bool nt = GetVersion() < 0x80000000u;
  return JoinFolder(WindowsFolder(), nt ? u"System32" : u"System");
}

std::u16string TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return u"c:\\temp";
  return WithoutTrailingBackslash(U16(buffer, n));
}

std::u16string InstallerPath(const InstallValues& values) {
  if (!values.installer_path.empty()) return values.installer_path;
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return U16(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string DevicePathFolder() {
  std::u16string device = FirstDevicePath(MachineSetting(u"DevicePath"), EnvironmentValue(L"SystemRoot"));
  return device.empty() ? JoinFolder(WindowsFolder(), u"INF") : device;
}

std::u16string WebRoot() {
  std::u16string root = RegistryText(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\INetStp", u"PathWWWRoot",
                                     kMaxShortSettingLength);
  if (root.empty()) return u"c:\\Inetpub\\wwwroot";
  ExpandEnvironment(root);
  return root;
}

std::u16string CommonStartup() { return ShellFolder(HKEY_LOCAL_MACHINE, u"Common Startup"); }

class InstallValueSource : public VariableSource {
 public:
  explicit InstallValueSource(const InstallValues& values) : values_(values) {}
  std::u16string Value(int id) override { return VariableValue(id, values_); }

 private:
  const InstallValues& values_;
};

}  // namespace

bool Is64BitWindows() {
  using Fn = void(WINAPI*)(SYSTEM_INFO*);
  static const auto native = SystemProc<Fn>(L"kernel32.dll", "GetNativeSystemInfo");
  SYSTEM_INFO info{};
  if (native)
    native(&info);
  else
    GetSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

std::u16string WindowsFolder() {
  wchar_t buffer[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? U16(buffer, n) : std::u16string(u"C:\\Windows");
}

std::u16string ProgramFilesFolder(int mode) {
  if (NormaliseFolderMode(mode, Is64BitWindows()) == kFolderMode64)
    return FirstOf([] { return KnownFolder(kProgramFilesX64); },  //
                   [] { return EnvironmentValue(L"ProgramW6432"); },
                   [] { return WithoutX86(ProgramFilesFolder(kFolderMode32)); });
  return FirstOf([] { return SpecialFolder(CSIDL_PROGRAM_FILES); },  //
                 [] { return KnownFolder(kProgramFiles); },          //
                 [] { return MachineSetting(u"ProgramFilesDir"); },
                 [] { return std::u16string(u"c:\\Program Files"); });
}

std::u16string CommonFilesFolder(int mode) {
  if (NormaliseFolderMode(mode, Is64BitWindows()) == kFolderMode64)
    return FirstOf([] { return KnownFolder(kProgramFilesCommonX64); },
                   [] { return EnvironmentValue(L"CommonProgramW6432"); },
                   [] { return WithoutX86(CommonFilesFolder(kFolderMode32)); });
  return FirstOf([] { return SpecialFolder(CSIDL_PROGRAM_FILES_COMMON); },
                 [] { return KnownFolder(kProgramFilesCommon); },  //
                 [] { return MachineSetting(u"CommonFilesDir"); },
                 [] { return JoinFolder(ProgramFilesFolder(kFolderModeNative), u"Common Files"); });
}

std::u16string VariableValue(int id, const InstallValues& v) {
  auto value = [&v](int other) { return VariableValue(other, v); };
  auto special = [](int csidl) { return [csidl] { return SpecialFolder(csidl); }; };
  auto shell = [](HKEY root, const char16_t* name) { return [root, name] { return ShellFolder(root, name); }; };
  auto windows_and = [](const char16_t* name) { return [name] { return JoinFolder(WindowsFolder(), name); }; };
  HKEY lm = HKEY_LOCAL_MACHINE, cu = HKEY_CURRENT_USER;
  switch (id) {
    case kVarAppDataAllDir:
      return FirstOf(special(CSIDL_COMMON_APPDATA), shell(lm, u"Common AppData"),
                     [] { return CommonFilesFolder(kFolderModeNative); });
    case kVarAppDataDir:
      return FirstOf(special(CSIDL_APPDATA), shell(cu, u"AppData"),
                     [] { return CommonFilesFolder(kFolderModeNative); });
    case kVarBits:
      return Is64BitWindows() ? u"64" : u"32";
    case kVarBootDrive:
      return BootDriveFromBootDir(RegistryText(lm, u"Software\\Microsoft\\Windows\\CurrentVersion\\Setup",
                                               u"BootDir", kMaxShortSettingLength));
    case kVarCommonDir:
      return CommonFilesFolder(v.bitness == kBitness64 ? kFolderMode64 : kFolderMode32);
    case kVarCommonDir32:
      return CommonFilesFolder(kFolderMode32);
    case kVarCommonDir64:
      return CommonFilesFolder(kFolderMode64);
    case kVarDesktopAllDir:
      return FirstOf(special(CSIDL_COMMON_DESKTOPDIRECTORY), shell(lm, u"Common Desktop"),
                     [&] { return value(kVarDesktopDir); });
    case kVarDesktopDir:
      return FirstOf(special(CSIDL_DESKTOPDIRECTORY), shell(cu, u"Desktop"), windows_and(u"Desktop"));
    case kVarDesktopShortcuts:
      return JoinFolder(value(v.shortcut_mode == kShortcutsAllUsers ? kVarDesktopAllDir : kVarDesktopDir),
                        v.desktop_folder);
    case kVarDeviceDir:
      return DevicePathFolder();
    case kVarDocumentAllDir:
      return FirstOf(special(CSIDL_COMMON_DOCUMENTS), shell(lm, u"Common Documents"),
                     [&] { return value(kVarDocumentDir); });
    case kVarDocumentDir:
      return FirstOf(special(CSIDL_PERSONAL), shell(cu, u"Personal"),
                     [] { return std::u16string(u"c:\\My Documents"); });
    case kVarFavoritesAllDir:
      return FirstOf(special(CSIDL_COMMON_FAVORITES), shell(lm, u"Common Favorites"),
                     [&] { return value(kVarFavoritesDir); });
    case kVarFavoritesDir:
      return FirstOf(special(CSIDL_FAVORITES), shell(cu, u"Favorites"), windows_and(u"Favorites"));
    case kVarFontDir:
      return FirstOf(special(CSIDL_FONTS), shell(cu, u"Fonts"), windows_and(u"Fonts"));
    case kVarInetpub:
      return InetpubFromWebRoot(WebRoot());
    case kVarInstallDir:
      return v.install_dir;
    case kVarInstallDrive: {
      std::u16string letter = DriveLetterOf(v.install_dir);
      return letter.empty() ? letter : letter + u":";
    }
    case kVarInstallerDir:
      return FolderOfPath(InstallerPath(v));
    case kVarInstallerDrive:
      return DriveLetterOf(InstallerPath(v));
    case kVarInstallerFilename:
      return FileNameOfPath(InstallerPath(v));
    case kVarInstallerFilepath:
      return InstallerPath(v);
    case kVarMediaDir:
      return FirstOf([] { return MachineSetting(u"MediaPath"); }, windows_and(u"Media"));
    case kVarOldVersion:
      return v.old_version;
    case kVarOldVersionMajor:
      return VersionPiece(v.old_version, 0);
    case kVarOldVersionMinor:
      return VersionPiece(v.old_version, 1);
    case kVarProductName:
      return v.product_name;
    case kVarProgramsDir:
      return ProgramFilesFolder(v.bitness == kBitness64 ? kFolderMode64 : kFolderMode32);
    case kVarProgramsDir32:
      return ProgramFilesFolder(kFolderMode32);
    case kVarProgramsDir64:
      return ProgramFilesFolder(kFolderMode64);
    case kVarSharedDir:
      return v.shared_path;
    case kVarSMProgramsAllDir:
      return FirstOf(special(CSIDL_COMMON_PROGRAMS), shell(lm, u"Common Programs"),
                     [] {
                       std::u16string startup = CommonStartup();
                       return startup.empty() ? startup : FolderOfPath(startup);
                     },
                     [&] { return value(kVarSMProgramsDir); });
    case kVarSMProgramsDir:
      return FirstOf(special(CSIDL_PROGRAMS), shell(cu, u"Programs"),
                     [&] { return JoinFolder(value(kVarStartMenuDir), u"Programs"); });
    case kVarStartMenuAllDir:
      return FirstOf(special(CSIDL_COMMON_STARTMENU), shell(lm, u"Common Start Menu"),
                     [] {
                       std::u16string startup = CommonStartup();
                       return startup.empty() ? startup : FolderOfPath(FolderOfPath(startup));
                     },
                     [&] { return value(kVarStartMenuDir); });
    case kVarStartMenuChosen:
      return JoinFolder(value(v.shortcut_mode == kShortcutsAllUsers ? kVarSMProgramsAllDir : kVarSMProgramsDir),
                        v.start_menu);
    case kVarStartMenuDir:
      return FirstOf(special(CSIDL_STARTMENU), shell(cu, u"Start Menu"), windows_and(u"Start Menu"));
    case kVarStartupAllDir:
      return FirstOf(special(CSIDL_COMMON_STARTUP), shell(lm, u"Common Startup"),
                     [&] { return value(kVarStartupDir); });
    case kVarStartupDir:
      return FirstOf(special(CSIDL_STARTUP), shell(cu, u"Startup"),
                     [&] { return JoinFolder(value(kVarSMProgramsDir), u"StartUp"); });
    case kVarSystemDir:
      return SystemFolder();
    case kVarTemp:
      return TempFolder();
    case kVarUninstallDir:
      return JoinFolder(v.install_dir, v.uninstall_subdir);
    case kVarVersion:
      return v.version;
    case kVarWinDir:
      return WindowsFolder();
  }
  return {};
}

bool ExpandEnvironment(std::u16string& text) {
  std::vector<wchar_t> buffer(kEnvironmentBuffer);
  DWORD n = ExpandEnvironmentStringsW(W(text), buffer.data(), kEnvironmentBuffer);
  if (n == 0 || n > kEnvironmentBuffer) return false;
  buffer.back() = 0;
  text = U16(buffer.data());
  return true;
}

bool ExpandEnvironment(std::string& text) {
  std::vector<char> buffer(kEnvironmentBuffer);
  DWORD n = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), kEnvironmentBuffer);
  if (n == 0 || n > kEnvironmentBuffer) return false;
  buffer.back() = 0;
  text = buffer.data();
  return true;
}

std::u16string ExpandVariables(std::u16string text, const InstallValues& values) {
  InstallValueSource source(values);
  ReplaceVariables(text, source);
  ExpandEnvironment(text);
  return text;
}

std::string ExpandVariables(std::string text, const InstallValues& values) {
  InstallValueSource source(values);
  ReplaceVariables(text, source);
  ExpandEnvironment(text);
  return text;
}

}  // namespace ks
