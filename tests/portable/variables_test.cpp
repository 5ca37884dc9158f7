// The variable table's replacement rules (order, case, rescanning) in both
// text forms, and the pure rules behind the values.
#include "portable/variables.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "portable/text.h"

namespace ks {
namespace {

// Values by table position; a name without a value stands for "<Name>" so a
// replacement is visible. Counts how often each value is asked.
class MapSource : public VariableSource {
 public:
  explicit MapSource(std::map<int, std::u16string> values = {}) : values_(std::move(values)) {}
  std::u16string Value(int id) override {
    ++asked[id];
    auto it = values_.find(id);
    if (it != values_.end()) return it->second;
    std::string name = kVariables[id].name;
    std::u16string shown(u"<");
    shown += Widen(name.substr(1, name.size() - 2));
    return shown + u">";
  }
  std::map<int, int> asked;

 private:
  std::map<int, std::u16string> values_;
};

std::u16string Replace(std::u16string text, MapSource& source) {
  ReplaceVariables(text, source);
  return text;
}

TEST(VariableTable, FortyFourNamesInOrder) {
  ASSERT_EQ(kVariableCount, 44);
  EXPECT_STREQ(kVariables[kVarAppDataAllDir].name, "%AppDataAllDir%");
  EXPECT_STREQ(kVariables[kVarSMProgramsAllDir].name, "%SMProgramsAllDir%");
  EXPECT_STREQ(kVariables[kVarTemp].name, "%Temp%");
  EXPECT_STREQ(kVariables[kVarWinDir].name, "%WinDir%");
  // Alphabetical without regard to case is the table's order; the replacement
  // order (and so which values get expanded further) depends on it.
  for (int i = 1; i < kVariableCount; ++i) {
    std::string a = kVariables[i - 1].name, b = kVariables[i].name;
    for (auto& c : a) c = char(AsciiUpper(char16_t(c)));
    for (auto& c : b) c = char(AsciiUpper(char16_t(c)));
    EXPECT_LT(a, b) << "entry " << i;
  }
  for (int i = 0; i < kVariableCount; ++i)
    EXPECT_EQ(kVariables[i].exact_case, i == kVarOldVersionMajor || i == kVarOldVersionMinor) << i;
}

TEST(ReplaceVariables, CaseAndOrder) {
  struct Case {
    const char16_t* text;
    const char16_t* expect;
  };
  MapSource values({{kVarInstallDir, u"D:\\App"},
                    {kVarOldVersionMajor, u"5"},
                    {kVarOldVersionMinor, u"2"},
                    {kVarOldVersion, u"5.2"},
                    {kVarTemp, u"C:\\T"}});
  const Case kCases[] = {
      {u"%installdir%\\bin", u"D:\\App\\bin"},
      {u"%INSTALLDIR%\\bin", u"D:\\App\\bin"},
      {u"%InstallDir%\\bin", u"D:\\App\\bin"},
      // Only the exact case counts for the version pieces.
      {u"%OldVersionMajor%.%OldVersionMinor%", u"5.2"},
      {u"%oldversionmajor%|%OLDVERSIONMINOR%", u"%oldversionmajor%|%OLDVERSIONMINOR%"},
      {u"%oldversion%", u"5.2"},
      // Adjacent, repeated and overlapping occurrences, left to right.
      {u"%Temp%%temp%%TEMP%", u"C:\\TC:\\TC:\\T"},
      {u"%InstallDir%InstallDir%", u"D:\\AppInstallDir%"},
      {u"%%InstallDir%%", u"%D:\\App%"},
      {u"%Temp", u"%Temp"},
      {u"%NoSuchName% and %PATH%", u"%NoSuchName% and %PATH%"},
      {u"", u""},
      {u"%", u"%"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(Replace(c.text, values), c.expect);
  }
}

TEST(ReplaceVariables, ValuesSeenByLaterEntriesOnly) {
  // %Temp% comes after %InstallDir%: a folder typed as "%Temp%\x" expands.
  // %AppDataDir% comes before it and stays, as does %InstallDir% in its own value.
  MapSource values({{kVarInstallDir, u"%Temp%\\x|%AppDataDir%|%InstallDir%|%WinDir%"},
                    {kVarTemp, u"C:\\T"},
                    {kVarAppDataDir, u"A"},
                    {kVarWinDir, u"W"}});
  EXPECT_EQ(Replace(u"%InstallDir%-%InstallDir%", values),
            u"C:\\T\\x|%AppDataDir%|%InstallDir%|W-C:\\T\\x|%AppDataDir%|%InstallDir%|W");
  // A value holding its own name is not expanded again (and does not loop).
  MapSource self({{kVarTemp, u"%Temp%%TEMP%"}});
  EXPECT_EQ(Replace(u"%temp%", self), u"%Temp%%TEMP%");
}

TEST(ReplaceVariables, AsksOnlyForNamesThatOccurOncePerCall) {
  MapSource values;
  std::u16string text = u"%DesktopDir%\\%desktopdir%\\%WinDir%";
  EXPECT_EQ(Replace(text, values), u"<DesktopDir>\\<DesktopDir>\\<WinDir>");
  EXPECT_EQ(values.asked, (std::map<int, int>{{kVarDesktopDir, 1}, {kVarWinDir, 1}}));
  values.asked.clear();
  Replace(u"no variables %here%", values);
  EXPECT_TRUE(values.asked.empty());
  // The lower-case version piece is no occurrence, so it is not asked for.
  Replace(u"%oldversionminor%", values);
  EXPECT_TRUE(values.asked.empty());
}

TEST(ReplaceVariables, EightBitFormConvertsValuesToTheSystemCodePage) {
  // 1252 is the portable default: "é" is 0xE9, "€" 0x80, and a character
  // without a 1252 form becomes "?".
  MapSource values({{kVarProductName, u"Caf\u00e9 \u20ac \u4e2d"},
                    {kVarInstallDir, u"%Temp%\\\u00e9"},
                    {kVarTemp, u"C:\\T"}});
  std::string text = "\xE9-%productname%-%OldVersionMajor%-%installdir%-%oldversionmajor%";
  ReplaceVariables(text, values);
  EXPECT_EQ(text, "\xE9-Caf\xE9 \x80 ?-<OldVersionMajor>-C:\\T\\\xE9-%oldversionmajor%");
}

TEST(VariableRules, VersionPieces) {
  struct Case {
    const char16_t* version;
    const char16_t* major;
    const char16_t* minor;
  };
  const Case kCases[] = {
      {u"5", u"5", u""},       {u"", u"", u""},       {u"5.2", u"5", u"2"},
      {u"5.12.3.4", u"5", u"12"}, {u".7", u"", u"7"}, {u"5.", u"5", u""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(Utf16ToUtf8(c.version));
    EXPECT_EQ(VersionPiece(c.version, 0), c.major);
    EXPECT_EQ(VersionPiece(c.version, 1), c.minor);
  }
}

TEST(VariableRules, FolderModes) {
  for (int mode = 1; mode <= 4; ++mode) EXPECT_EQ(NormaliseFolderMode(mode, false), kFolderModeNative) << mode;
  EXPECT_EQ(NormaliseFolderMode(kFolderMode32, true), kFolderModeNative);
  EXPECT_EQ(NormaliseFolderMode(kFolderMode64, true), kFolderMode64);
  EXPECT_EQ(NormaliseFolderMode(kFolderModeNative, true), kFolderModeNative);
  EXPECT_EQ(NormaliseFolderMode(kFolderMode64WhereAvailable, true), kFolderMode64);

  EXPECT_EQ(WithoutX86(u"C:\\Program Files (x86)"), u"C:\\Program Files");
  EXPECT_EQ(WithoutX86(u"C:\\Program Files (x86)\\Common Files (x86)"), u"C:\\Program Files\\Common Files (x86)");
  EXPECT_EQ(WithoutX86(u"C:\\Program Files (X86)"), u"C:\\Program Files (X86)");
  EXPECT_EQ(WithoutX86(u"C:\\Program Files"), u"C:\\Program Files");
}

TEST(VariableRules, PathPieces) {
  struct Join {
    const char16_t* folder;
    const char16_t* name;
    const char16_t* expect;
  };
  const Join kJoins[] = {
      {u"C:\\A", u"b", u"C:\\A\\b"},     {u"C:\\A\\", u"b", u"C:\\A\\b"},   {u"C:\\A", u"\\b", u"C:\\A\\b"},
      {u"C:\\A\\", u"\\b", u"C:\\A\\b"}, {u"C:", u"b", u"C:b"},           {u"C:\\", u"b", u"C:\\b"},
      {u"C:\\A", u"", u"C:\\A"},         {u"C:\\A\\", u"", u"C:\\A\\"},   {u"C:\\A", u"b\\c", u"C:\\A\\b\\c"},
  };
  for (const auto& c : kJoins) EXPECT_EQ(JoinFolder(c.folder, c.name), c.expect) << Utf16ToUtf8(c.folder);

  EXPECT_EQ(FolderOfPath(u"C:\\A\\setup.exe"), u"C:\\A");
  EXPECT_EQ(FolderOfPath(u"C:\\setup.exe"), u"C:\\");
  EXPECT_EQ(FolderOfPath(u"\\\\srv\\share\\setup.exe"), u"\\\\srv\\share");
  EXPECT_EQ(FolderOfPath(u"setup.exe"), u"");
  EXPECT_EQ(FileNameOfPath(u"C:\\A\\setup.exe"), u"setup.exe");
  EXPECT_EQ(FileNameOfPath(u"setup.exe"), u"setup.exe");

  // A bare root keeps its backslash; one backslash goes from anything longer.
  EXPECT_EQ(WithoutTrailingBackslash(u"D:\\"), u"D:\\");
  EXPECT_EQ(WithoutTrailingBackslash(u"D:\\Data\\"), u"D:\\Data");
  EXPECT_EQ(WithoutTrailingBackslash(u"D:\\Data\\\\"), u"D:\\Data\\");
  EXPECT_EQ(WithoutTrailingBackslash(u"D:\\Data"), u"D:\\Data");

  EXPECT_EQ(DriveLetterOf(u"d:\\x"), u"D");
  EXPECT_EQ(DriveLetterOf(u"Z:"), u"Z");
  EXPECT_EQ(DriveLetterOf(u"\\\\srv\\share"), u"");
  EXPECT_EQ(DriveLetterOf(u"1:\\x"), u"");
  EXPECT_EQ(DriveLetterOf(u"d"), u"");
}

TEST(VariableRules, RegistrySourcedValues) {
  EXPECT_EQ(BootDriveFromBootDir(u"d:\\"), u"D:");
  EXPECT_EQ(BootDriveFromBootDir(u"E:"), u"E:");
  EXPECT_EQ(BootDriveFromBootDir(u""), u"C:");
  EXPECT_EQ(BootDriveFromBootDir(u"\\\\srv"), u"C:");
  EXPECT_EQ(BootDriveFromBootDir(u"9:\\"), u"C:");

  EXPECT_EQ(FirstDevicePath(u"%SystemRoot%\\inf;D:\\drivers", u"C:\\windows"), u"C:\\windows\\inf");
  EXPECT_EQ(FirstDevicePath(u"%systemroot%\\inf\\%SystemRoot%", u"C:\\W"), u"C:\\W\\inf\\%SystemRoot%");
  EXPECT_EQ(FirstDevicePath(u"D:\\drivers;%SystemRoot%\\inf", u"C:\\W"), u"D:\\drivers");
  EXPECT_EQ(FirstDevicePath(u"%SystemRoot%\\inf", u""), u"%SystemRoot%\\inf");
  EXPECT_EQ(FirstDevicePath(u";x", u"C:\\W"), u"");

  EXPECT_EQ(InetpubFromWebRoot(u"c:\\Inetpub\\wwwroot"), u"c:\\Inetpub");
  EXPECT_EQ(InetpubFromWebRoot(u"D:\\Web\\Pub\\root\\"), u"D:\\Web\\Pub");
  EXPECT_EQ(InetpubFromWebRoot(u"D:\\wwwroot"), u"D:\\");
}

}  // namespace
}  // namespace ks
