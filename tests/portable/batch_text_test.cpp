// The generated batch file: preamble order and escaping, PAUSE removal, extra
// commands, code page and bytes, capture trim, command line, batch requests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portable/archive.h"
#include "portable/batch_request.h"
#include "portable/batch_text.h"
#include "portable/settings.h"
#include "portable/text.h"
#include "portable/variables.h"

namespace ks {
namespace {

std::vector<std::u16string> Lines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  while (!text.empty()) {
    size_t end = text.find(u"\r\n");
    EXPECT_NE(end, std::u16string_view::npos) << "every line ends in CR LF";
    if (end == std::u16string_view::npos) break;
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  return lines;
}

// Each variable's value names its table entry, so a line in the wrong place
// or with the wrong source shows.
std::u16string ValueOf(int id) { return u"v" + Widen(std::to_string(id)); }

TEST(BatchPreamble, LinesInOrderWithTheirValues) {
  const std::pair<const char*, int> kExpected[] = {
      {"InstallDir", kVarInstallDir}, {"InstallDrive", kVarInstallDrive}, {"Bits", kVarBits},
      {"UninstallDir", kVarUninstallDir}, {"SharedDir", kVarSharedDir}, {"InstallerFilepath", kVarInstallerFilepath},
      {"InstallerDir", kVarInstallerDir}, {"InstallerFilename", kVarInstallerFilename},
      {"InstallerDrive", kVarInstallerDrive}, {"SystemDir", kVarSystemDir}, {"DeviceDir", kVarDeviceDir},
      {"MediaDir", kVarMediaDir}, {"FavoritesDir", kVarFavoritesDir}, {"FavoritesAllDir", kVarFavoritesAllDir},
      {"FontDir", kVarFontDir}, {"DesktopDir", kVarDesktopDir}, {"DesktopAllDir", kVarDesktopAllDir},
      {"DesktopShortcuts", kVarDesktopShortcuts}, {"DocumentDir", kVarDocumentDir},
      {"DocumentAllDir", kVarDocumentAllDir}, {"ProductName", kVarProductName}, {"ProgramsDir", kVarProgramsDir},
      {"ProgramsDir32", kVarProgramsDir32}, {"ProgramsDir64", kVarProgramsDir64},
      {"StartMenuAllDir", kVarStartMenuAllDir}, {"StartMenuChosen", kVarStartMenuChosen},
      {"StartMenuDir", kVarStartMenuDir}, {"SMProgramsDir", kVarSMProgramsDir},
      {"SMProgramsAllDir", kVarSMProgramsAllDir}, {"StartupDir", kVarStartupDir},
      {"StartupAllDir", kVarStartupAllDir}, {"BootDrive", kVarBootDrive}, {"CommonDir", kVarCommonDir},
      {"CommonDir32", kVarCommonDir32}, {"CommonDir64", kVarCommonDir64}, {"Inetpub", kVarInetpub},
      {"AppDataDir", kVarAppDataDir}, {"AppDataAllDir", kVarAppDataAllDir}, {"Version", kVarVersion},
      {"OldVersion", kVarOldVersion}, {"OldVersionMajor", kVarOldVersionMajor},
      {"OldVersionMinor", kVarOldVersionMinor},
  };
  std::vector<std::u16string> lines = Lines(BatchPreamble(ValueOf));
  ASSERT_EQ(lines.size(), std::size(kExpected) + 1);
  EXPECT_EQ(lines[0], u"@echo off");
  for (size_t i = 0; i < std::size(kExpected); ++i) {
    auto [name, id] = kExpected[i];
    std::u16string value = ValueOf(id) + (id == kVarInstallerDrive ? u":" : u"");
    EXPECT_EQ(lines[i + 1], u"SET \"" + Widen(name) + u"=" + value + u"\"") << name;
  }
  // WinDir and Temp have no line.
  for (const auto& line : lines) {
    EXPECT_EQ(line.find(u"WinDir"), std::u16string::npos);
    EXPECT_EQ(line.find(u"\"Temp="), std::u16string::npos);
  }
}

TEST(BatchPreamble, DriveColonOnlyWithALetter) {
  auto value = [](int id) -> std::u16string {
    if (id == kVarInstallerDrive) return u"";
    if (id == kVarInstallDrive) return u"D:";
    return u"x";
  };
  std::u16string text = BatchPreamble(value);
  EXPECT_NE(text.find(u"SET \"InstallerDrive=\"\r\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"SET \"InstallDrive=D:\"\r\n"), std::u16string::npos);
  std::u16string lettered =
      BatchPreamble([](int id) { return std::u16string(id == kVarInstallerDrive ? u"E" : u""); });
  EXPECT_NE(lettered.find(u"SET \"InstallerDrive=E:\"\r\n"), std::u16string::npos);
}

TEST(BatchPreamble, ValuesAreInertToCmd) {
  struct Case { const char16_t* value; const char16_t* line; };
  const Case kCases[] = {
      {u"C:\\Program Files\\App", u"SET \"X=C:\\Program Files\\App\"\r\n"},
      {u"", u"SET \"X=\"\r\n"},
      // Inside the quotes only percent signs need care.
      {u"C:\\R&D (x86) ^ 100% sure", u"SET \"X=C:\\R&D (x86) ^ 100%% sure\"\r\n"},
      {u"%PATH%|<a>", u"SET \"X=%%PATH%%|<a>\"\r\n"},
      // A quote in the value leaves quoted mode: what follows is escaped
      // until the next quote.
      {u"a\" & echo pwned > C:\\pwned.txt & \"b", u"SET \"X=a\" ^& echo pwned ^> C:\\pwned.txt ^& \"b\"\r\n"},
      {u"\"a&b\"", u"SET \"X=\"a^&b\"\"\r\n"},
      {u"x\"(^)|<", u"SET \"X=x\"^(^^^)^|^<\"\r\n"},
      // A line break would start a command of its own.
      {u"a\r\necho pwned\nb", u"SET \"X=a  echo pwned b\"\r\n"},
      {u"Caf\u00e9", u"SET \"X=Caf\u00e9\"\r\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(Utf16ToUtf8(c.value));
    EXPECT_EQ(BatchSetLine(u"X", c.value), c.line);
  }
}

TEST(BatchText, PauseLinesGo) {
  struct Case { const char* text; const char* kept; };
  const Case kCases[] = {
      {"echo a\r\n  @pause  \r\necho b\r\n", "echo a\r\necho b\r\n"},
      {"PAUSE", ""},
      {"echo a\r\n\tPause\t", "echo a\r\n"},
      {"@ PAUSE\r\n", ""},
      {"echo a\npause\necho b", "echo a\necho b"},
      // A lone CR ends a line in the file too.
      {"echo a\rpause\recho b\r\n", "echo a\recho b\r\n"},
      {"echo pause\r\npause >nul\r\n@@pause\r\npaused\r\n", "echo pause\r\npause >nul\r\n@@pause\r\npaused\r\n"},
      {"", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(WithoutPauseLines(c.text), c.kept);
  }
}

TEST(BatchText, ComposeDropsPauseOnlyWhenAsked) {
  auto none = [](int) { return std::u16string(); };
  std::string hidden = ComposeBatchFile("echo a\r\n @pause \r\n", true, none, true);
  std::string visible = ComposeBatchFile("echo a\r\n @pause \r\n", false, none, true);
  EXPECT_EQ(hidden.find("pause"), std::string::npos);
  EXPECT_NE(visible.find("echo a\r\n @pause \r\n"), std::string::npos);
  // The script's text follows the preamble directly.
  EXPECT_NE(hidden.find("SET \"OldVersionMinor=\"\r\necho a\r\n"), std::string::npos);
}

TEST(BatchText, ExtraCommands) {
  struct Case { const char* text; const char* extra; const char* out; };
  const Case kCases[] = {
      {"echo a", "echo b", "echo a\r\necho b"},
      {"echo a\r\n", "echo b", "echo a\r\necho b"},
      {"echo a\n", "echo b", "echo a\necho b"},
      {"", "echo b", "echo b"},
      {"echo a", "", "echo a\r\n"},
      {"", "", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.text) + "|" + c.extra);
    EXPECT_EQ(WithExtraCommands(c.text, c.extra), c.out);
  }
}

TEST(BatchText, CodePageAndBytes) {
  struct Case { const char16_t* text; bool utf8_system; BatchCodePage page; const char* bytes; };
  const Case kCases[] = {
      {u"echo a\r\n", true, BatchCodePage::k1252, "@chcp 1252 >nul\r\necho a\r\n"},
      // Line ends become CR LF, with one at the end.
      {u"a\nb\rc", true, BatchCodePage::k1252, "@chcp 1252 >nul\r\na\r\nb\r\nc\r\n"},
      {u"echo Caf\u00e9", true, BatchCodePage::kUtf8, "@chcp 65001 >nul\r\necho Caf\xC3\xA9\r\n"},
      {u"echo \u4e2d", true, BatchCodePage::kUtf8, "@chcp 65001 >nul\r\necho \xE4\xB8\xAD\r\n"},
      // Before XP: 1252 always, "?" for what it cannot hold.
      {u"echo Caf\u00e9 \u4e2d", false, BatchCodePage::k1252, "@chcp 1252 >nul\r\necho Caf\xE9 ?\r\n"},
      {u"x\xD800y", true, BatchCodePage::kUtf8, "@chcp 65001 >nul\r\nx?y\r\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(ChooseBatchCodePage(c.text, c.utf8_system), c.page);
    EXPECT_EQ(BatchFileBytes(c.text, c.utf8_system), c.bytes);
  }
}

TEST(BatchText, AProductNameWithAnAccentMakesTheWholeFileUtf8) {
  auto value = [](int id) { return std::u16string(id == kVarProductName ? u"Caf\u00e9" : u"C:\\x"); };
  std::string bytes = ComposeBatchFile("echo \xE9t\xE9\r\n", true, value, true);
  EXPECT_EQ(bytes.rfind("@chcp 65001 >nul\r\n@echo off\r\nSET \"InstallDir=C:\\x\"\r\n", 0), 0u);
  EXPECT_NE(bytes.find("SET \"ProductName=Caf\xC3\xA9\"\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("echo \xC3\xA9t\xC3\xA9\r\n"), std::string::npos);  // the script's 1252 text too
  EXPECT_EQ(bytes.find("\xEF\xBB\xBF"), std::string::npos);

  auto ascii = [](int) { return std::u16string(u"C:\\x"); };
  std::string plain = ComposeBatchFile("echo a", false, ascii, true);
  EXPECT_EQ(plain.rfind("@chcp 1252 >nul\r\n@echo off\r\n", 0), 0u);
  EXPECT_EQ(plain.substr(plain.size() - 8), "echo a\r\n");
}

TEST(BatchText, CapturedOutputForLog) {
  struct Case { const char* captured; const char* logged; };
  const Case kCases[] = {
      {"hello\r\nworld\r\n\r\n  \t", "hello\r\nworld\r\n\r\n"},
      {" lead\tin \n", " lead\tin\r\n\r\n"},
      {"", ""},
      {" \r\n\t\r\n", ""},
      {"\x82\xE9", "\x82\xE9\r\n\r\n"},  // bytes as the console wrote them
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.captured);
    EXPECT_EQ(CapturedOutputForLog(c.captured), c.logged);
  }
}

TEST(BatchText, CommandLine) {
  struct Case { const char16_t* batch; const char16_t* capture; const char16_t* line; };
  const char16_t* cmd = u"C:\\windows\\system32\\cmd.exe";
  const Case kCases[] = {
      {u"C:\\PROGRA~1\\APP\\SETUPBAT.BAT", u"C:\\PROGRA~1\\APP\\cs_batch.log",
       u"\"C:\\windows\\system32\\cmd.exe\" /c C:\\PROGRA~1\\APP\\SETUPBAT.BAT > C:\\PROGRA~1\\APP\\cs_batch.log"},
      {u"C:\\TEMP\\SETUPBAT.BAT", u"", u"\"C:\\windows\\system32\\cmd.exe\" /c C:\\TEMP\\SETUPBAT.BAT"},
      // Long forms that cmd would split or act on are quoted, and /c gets
      // one outer pair to remove.
      {u"C:\\A B\\SETUPBAT.BAT", u"C:\\A B\\cs_batch.log",
       u"\"C:\\windows\\system32\\cmd.exe\" /c \"\"C:\\A B\\SETUPBAT.BAT\" > \"C:\\A B\\cs_batch.log\"\""},
      {u"C:\\R&D\\SETUPBAT.BAT", u"",
       u"\"C:\\windows\\system32\\cmd.exe\" /c \"\"C:\\R&D\\SETUPBAT.BAT\"\""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(Utf16ToUtf8(c.batch));
    EXPECT_EQ(BatchCommandLine(cmd, c.batch, c.capture), c.line);
  }
}

TEST(BatchRequests, TitlesHiddenSwitchesAndAdditions) {
  Settings s;
  s.PreInstallBatch = "echo pre";
  s.UpgradeBatch = "echo up";
  s.ReinstallBatch = "echo re";
  s.PostInstallBatch = "echo post\r\n";
  s.ExitBatch = "echo exit";

  BatchRequest plain = PreInstallBatchRequest(s, 0, "echo b1");
  EXPECT_EQ(plain.text, "echo pre\r\necho b1");
  EXPECT_EQ(plain.title, u"");
  EXPECT_FALSE(plain.hidden);

  s.OptionFlags = kOptPreBatchOption;
  s.OptionFlags2 = kOpt2UpgradeBatchOption;
  uint32_t labels = kArcPreBatchLabel | kArcReinstallBatchLabel | kArcPostBatchLabel;
  BatchRequest pre = PreInstallBatchRequest(s, labels, "");
  EXPECT_EQ(pre.text, "echo pre\r\n");
  EXPECT_EQ(pre.title, u"Pre-Installation Batch");
  EXPECT_TRUE(pre.hidden);

  BatchRequest up = UpgradeBatchRequest(s, labels);
  EXPECT_EQ(up.text, "echo up");
  EXPECT_EQ(up.title, u"");
  EXPECT_TRUE(up.hidden);
  BatchRequest up_titled = UpgradeBatchRequest(s, kArcUpgradeBatchLabel);
  EXPECT_EQ(up_titled.title, u"Upgrade Batch");

  BatchRequest re = ReinstallBatchRequest(s, labels);
  EXPECT_EQ(re.title, u"Reinstall Batch");
  EXPECT_FALSE(re.hidden);
  s.OptionFlags2 = kOpt2ReinstallBatchOption;
  EXPECT_TRUE(ReinstallBatchRequest(s, 0).hidden);
  EXPECT_FALSE(UpgradeBatchRequest(s, 0).hidden);

  BatchRequest post = PostInstallBatchRequest(s, labels, "echo b2");
  EXPECT_EQ(post.text, "echo post\r\necho b2");
  EXPECT_EQ(post.title, u"Post-Installation Batch");
  EXPECT_EQ(PostInstallBatchRequest(s, 0, "").title, u"");

  BatchRequest exit = ExitBatchRequest(s, "echo b3");
  EXPECT_EQ(exit.text, "echo exit\r\necho b3");
  EXPECT_EQ(exit.title, u"");  // never titled
}

}  // namespace
}  // namespace ks
