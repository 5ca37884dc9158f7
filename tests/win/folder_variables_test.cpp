// The folder variables under Wine: every table name against the prefix's known
// layout, the registry-sourced values, and the expansion rules end to end.
#include "script/folder_variables.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/code_page.h"
#include "core/wide.h"
#include "portable/text.h"

namespace ks {
namespace {

std::u16string Env(const wchar_t* name) {
  wchar_t buffer[4096] = {};
  DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
  return n > 0 && n < 4096 ? U16(buffer, n) : std::u16string();
}

// 64-bit Windows judged another way than the code under test does.
bool Wow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::u16string ThisProgram() {
  wchar_t buffer[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return U16(buffer);
}

std::string Acp(const std::u16string& text) {
  int n = WideCharToMultiByte(CP_ACP, 0, W(text), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, W(text), int(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

template <typename Text>
Text Bracketed(const Text& inner) {
  Text out(1, '[');
  out += inner;
  out.push_back(']');
  return out;
}

// Sets a string value in the default registry view of this process and puts
// the old state back when the test ends.
class ScopedRegistryValue {
 public:
  ScopedRegistryValue(const wchar_t* key, const wchar_t* name, const wchar_t* value) : key_(key), name_(name) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
      return;
    wchar_t old[4096];
    DWORD size = sizeof old, type = 0;
    if (RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS &&
        type == REG_SZ)
      old_ = std::wstring(old, size / sizeof(wchar_t)).c_str();
    ok_ = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                         DWORD((wcslen(value) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(h);
  }
  ~ScopedRegistryValue() {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_WRITE, &h) != ERROR_SUCCESS) return;
    if (old_)
      RegSetValueExW(h, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(old_->c_str()),
                     DWORD((old_->size() + 1) * sizeof(wchar_t)));
    else
      RegDeleteValueW(h, name_.c_str());
    RegCloseKey(h);
  }
  bool ok() const { return ok_; }

 private:
  std::wstring key_, name_;
  std::optional<std::wstring> old_;
  bool ok_ = false;
};

class FolderVariables : public ::testing::Test {
 protected:
  void SetUp() override {
    UseSystemCodePage();
    user_ = Env(L"USERNAME");
    ASSERT_FALSE(user_.empty());
    profile_ = u"C:\\users\\" + user_;
    values_.install_dir = u"d:\\Apps\\Demo";
    values_.product_name = u"Demo Product";
    values_.version = u"2.5.1";
    values_.old_version = u"2.4";
    values_.desktop_folder = u"Demo Desk";
    values_.start_menu = u"Demo Menu";
    values_.uninstall_subdir = u"Uninstall";
    values_.shared_path = u"C:\\ProgramData\\Shared Demo";
  }
  void TearDown() override { SetSystemCodePage(nullptr); }

  std::u16string user_, profile_;
  InstallValues values_;
};

TEST_F(FolderVariables, EveryNameAgainstThePrefixLayout) {
  // The engine is a 32-bit process in a 64-bit prefix.
  ASSERT_TRUE(Wow64());
  const std::u16string roaming = profile_ + u"\\AppData\\Roaming";
  const std::u16string menu = roaming + u"\\Microsoft\\Windows\\Start Menu";
  const std::u16string all_menu = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
  const std::u16string program = ThisProgram();
  const size_t slash = program.rfind(u'\\');

  struct Case {
    int id;
    std::u16string expect;
  };
  const std::vector<Case> kCases = {
      {kVarAppDataAllDir, u"C:\\ProgramData"},
      {kVarAppDataDir, roaming},
      {kVarBits, u"64"},
      {kVarBootDrive, u"C:"},
      {kVarCommonDir, u"C:\\Program Files (x86)\\Common Files"},
      {kVarCommonDir32, u"C:\\Program Files (x86)\\Common Files"},
      {kVarCommonDir64, u"C:\\Program Files\\Common Files"},
      {kVarDesktopAllDir, u"C:\\users\\Public\\Desktop"},
      {kVarDesktopDir, profile_ + u"\\Desktop"},
      {kVarDesktopShortcuts, profile_ + u"\\Desktop\\Demo Desk"},
      {kVarDeviceDir, u"C:\\windows\\INF"},
      {kVarDocumentAllDir, u"C:\\users\\Public\\Documents"},
      {kVarDocumentDir, profile_ + u"\\Documents"},
      {kVarFavoritesAllDir, profile_ + u"\\Favorites"},
      {kVarFavoritesDir, profile_ + u"\\Favorites"},
      {kVarFontDir, u"C:\\windows\\Fonts"},
      {kVarInetpub, u"c:\\Inetpub"},
      {kVarInstallDir, u"d:\\Apps\\Demo"},
      {kVarInstallDrive, u"D:"},
      {kVarInstallerDir, program.substr(0, slash)},
      {kVarInstallerDrive, std::u16string(1, AsciiUpper(program[0]))},
      {kVarInstallerFilename, u"win_tests.exe"},
      {kVarInstallerFilepath, program},
      {kVarMediaDir, u"C:\\windows\\Media"},
      {kVarOldVersion, u"2.4"},
      {kVarOldVersionMajor, u"2"},
      {kVarOldVersionMinor, u"4"},
      {kVarProductName, u"Demo Product"},
      {kVarProgramsDir, u"C:\\Program Files (x86)"},
      {kVarProgramsDir32, u"C:\\Program Files (x86)"},
      {kVarProgramsDir64, u"C:\\Program Files"},
      {kVarSharedDir, u"C:\\ProgramData\\Shared Demo"},
      {kVarSMProgramsAllDir, all_menu + u"\\Programs"},
      {kVarSMProgramsDir, menu + u"\\Programs"},
      {kVarStartMenuAllDir, all_menu},
      {kVarStartMenuChosen, menu + u"\\Programs\\Demo Menu"},
      {kVarStartMenuDir, menu},
      {kVarStartupAllDir, all_menu + u"\\Programs\\StartUp"},
      {kVarStartupDir, menu + u"\\Programs\\StartUp"},
      {kVarSystemDir, u"C:\\windows\\system32"},
      {kVarTemp, profile_ + u"\\Temp"},
      {kVarUninstallDir, u"d:\\Apps\\Demo\\Uninstall"},
      {kVarVersion, u"2.5.1"},
      {kVarWinDir, u"C:\\windows"},
  };
  ASSERT_EQ(kCases.size(), size_t(kVariableCount));
  for (size_t i = 0; i < kCases.size(); ++i) {
    const Case& c = kCases[i];
    ASSERT_EQ(c.id, int(i));  // the table above is in table order
    const char* name = kVariables[c.id].name;
    std::u16string got = VariableValue(c.id, values_);
    EXPECT_TRUE(EqualsNoCase(got, c.expect)) << name << ": " << Utf16ToUtf8(got) << " expected "
                                             << Utf16ToUtf8(c.expect);
    // The same value through the expansion, in both text forms.
    EXPECT_EQ(ExpandVariables(Bracketed(Widen(name)), values_), Bracketed(got)) << name;
    EXPECT_EQ(ExpandVariables(Bracketed(std::string(name)), values_), Bracketed(Acp(got))) << name;
  }
}

TEST_F(FolderVariables, InstallationValuesChooseTheFolders) {
  values_.bitness = kBitness64;
  values_.shortcut_mode = kShortcutsAllUsers;
  values_.old_version = u"7";
  values_.install_dir = u"\\\\server\\share\\Demo";
  values_.desktop_folder.clear();
  values_.installer_path = u"e:\\media\\Setup Demo.exe";
  struct Case {
    int id;
    std::u16string expect;
  };
  const Case kCases[] = {
      {kVarProgramsDir, u"C:\\Program Files"},
      {kVarCommonDir, u"C:\\Program Files\\Common Files"},
      {kVarDesktopShortcuts, u"C:\\users\\Public\\Desktop"},
      {kVarStartMenuChosen, u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Demo Menu"},
      {kVarOldVersionMajor, u"7"},
      {kVarOldVersionMinor, u""},
      {kVarInstallDrive, u""},
      {kVarInstallerDir, u"e:\\media"},
      {kVarInstallerDrive, u"E"},
      {kVarInstallerFilename, u"Setup Demo.exe"},
      {kVarInstallerFilepath, u"e:\\media\\Setup Demo.exe"},
  };
  for (const auto& c : kCases) {
    std::u16string got = VariableValue(c.id, values_);
    EXPECT_TRUE(EqualsNoCase(got, c.expect)) << kVariables[c.id].name << ": " << Utf16ToUtf8(got);
  }
}

TEST_F(FolderVariables, FolderModes) {
  // Both the 32-bit and the native mode give this 32-bit process's folder;
  // 64-bit and "64-bit where available" the 64-bit one.
  const char16_t* const kPrograms[] = {u"", u"C:\\Program Files (x86)", u"C:\\Program Files",
                                       u"C:\\Program Files (x86)", u"C:\\Program Files"};
  for (int mode = 1; mode <= 4; ++mode) {
    EXPECT_EQ(ProgramFilesFolder(mode), kPrograms[mode]) << mode;
    EXPECT_EQ(CommonFilesFolder(mode), JoinFolder(kPrograms[mode], u"Common Files")) << mode;
  }
  EXPECT_TRUE(Is64BitWindows());
}

TEST_F(FolderVariables, RegistrySourcedValues) {
  const wchar_t* kVersionKey = L"Software\\Microsoft\\Windows\\CurrentVersion";
  ScopedRegistryValue boot(L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup", L"BootDir", L"d:\\");
  ScopedRegistryValue device(kVersionKey, L"DevicePath", L"%systemroot%\\inf\\%SystemRoot%;E:\\drivers");
  ScopedRegistryValue media(kVersionKey, L"MediaPath", L"E:\\Sounds\\");
  ScopedRegistryValue web(L"SOFTWARE\\Microsoft\\INetStp", L"PathWWWRoot", L"%SystemDrive%\\Web\\Pub\\root\\");
  ASSERT_TRUE(boot.ok() && device.ok() && media.ok() && web.ok());
  const std::u16string root = Env(L"SystemRoot"), drive = Env(L"SystemDrive");
  ASSERT_FALSE(root.empty());
  ASSERT_FALSE(drive.empty());
  EXPECT_EQ(VariableValue(kVarBootDrive, values_), u"D:");
  EXPECT_EQ(VariableValue(kVarDeviceDir, values_), root + u"\\inf\\%SystemRoot%");
  EXPECT_EQ(VariableValue(kVarMediaDir, values_), u"E:\\Sounds");
  EXPECT_EQ(VariableValue(kVarInetpub, values_), drive + u"\\Web\\Pub");
  {
    ScopedRegistryValue bad_boot(L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup", L"BootDir", L"\\\\x");
    EXPECT_EQ(VariableValue(kVarBootDrive, values_), u"C:");
  }
}

TEST_F(FolderVariables, ExpansionOrderCaseAndEnvironment) {
  const std::u16string temp = profile_ + u"\\Temp";
  values_.old_version = u"5";
  struct Case {
    const char16_t* install_dir;
    const char16_t* text;
    std::u16string expect;
  };
  const Case kCases[] = {
      {u"d:\\Apps\\Demo", u"%installdir%\\bin", u"d:\\Apps\\Demo\\bin"},
      {u"d:\\Apps\\Demo", u"%INSTALLDIR%\\bin", u"d:\\Apps\\Demo\\bin"},
      // %Temp% is later in the table than %InstallDir%: its name in the value expands.
      {u"%Temp%\\Demo", u"%InstallDir%\\bin", temp + u"\\Demo\\bin"},
      // %AppDataDir% is earlier: it stays, and no environment variable has that name.
      {u"%AppDataDir%\\Demo", u"%InstallDir%", u"%AppDataDir%\\Demo"},
      // The version pieces match only in exact case; the lower-case name is
      // no environment variable either.
      {u"x", u"%OldVersionMajor%.%OldVersionMinor%|%oldversionmajor%", u"5.|%oldversionmajor%"},
      // Environment variables after the table.
      {u"x", u"%SystemRoot%\\%NoSuchVariableHere%", Env(L"SystemRoot") + u"\\%NoSuchVariableHere%"},
      {u"%ProgramFiles%", u"%InstallDir%", Env(L"ProgramFiles")},
      {u"x", u"%Temp%%TEMP%", temp + temp},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    values_.install_dir = c.install_dir;
    EXPECT_TRUE(EqualsNoCase(ExpandVariables(c.text, values_), c.expect)) << Utf16ToUtf8(ExpandVariables(c.text, values_));
  }
}

TEST_F(FolderVariables, EightBitFormMatchesTheWideFormInTheCodePage) {
  values_.product_name = u"Caf\u00e9 D\u00e9mo";
  values_.install_dir = u"d:\\Apps\\Caf\u00e9";
  const std::u16string text = u"%ProgramsDir%\\%ProductName%|%InstallDir%|%Temp%|%SystemRoot%|\u00e9";
  std::string narrow = ExpandVariables(Acp(text), values_);
  EXPECT_EQ(narrow, Acp(ExpandVariables(text, values_)));
  EXPECT_NE(narrow.find(Acp(u"Caf\u00e9 D\u00e9mo")), std::string::npos);
}

TEST_F(FolderVariables, EnvironmentBufferLimit) {
  // A result that does not fit the 32,000-character buffer leaves the text
  // as it was instead of cutting it.
  std::u16string fits(31000, u'a');
  fits += u"%SystemRoot%";
  std::u16string expanded = fits;
  EXPECT_TRUE(ExpandEnvironment(expanded));
  EXPECT_EQ(expanded, std::u16string(31000, u'a') + Env(L"SystemRoot"));

  std::u16string too_long(kEnvironmentBuffer, u'a');
  too_long += u"%SystemRoot%";
  std::u16string kept = too_long;
  EXPECT_FALSE(ExpandEnvironment(kept));
  EXPECT_EQ(kept, too_long);
  EXPECT_EQ(ExpandVariables(too_long, values_), too_long);

  std::string narrow(kEnvironmentBuffer, 'a');
  narrow += "%SystemRoot%";
  std::string narrow_kept = narrow;
  EXPECT_FALSE(ExpandEnvironment(narrow_kept));
  EXPECT_EQ(narrow_kept, narrow);
}

}  // namespace
}  // namespace ks
