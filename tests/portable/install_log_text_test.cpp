// The texts of Install.log: header lines, separator, tail, old-log conversion
// and the line conversions of the log writers.
#include "portable/install_log_text.h"

#include <gtest/gtest.h>

#include <string>

#include "portable/text.h"

namespace ks {
namespace {

TEST(InstallLogText, HeaderLinesInOrderWithTheOptionalOnes) {
  struct Case {
    const char* name;
    LogHeader header;
    std::string expected;
  };
  const Case kCases[] = {
      {"every line",
       {u"Caf\u00E9 Pro", {2026, 12, 7, 6, 58, 45}, true, false, u"C:\\Program Files\\Caf\u00E9", u"2.1", true, u"1.9",
        u"Windows 7 Professional"},
       "Installation log for: Caf\xC3\xA9 Pro\r\n"
       "Install date: 7-Dec-2026 6:58:45a\r\n"
       "Install type: New\r\n"
       "Install location: C:\\Program Files\\Caf\xC3\xA9\r\n"
       "Installer version: 34.0\r\n"
       "Product version: 2.1\r\n"
       "Overwriting version: 1.9\r\n"
       "Operating system: Windows 7 Professional\r\n\r\n"},
      {"reinstall, afternoon",
       {u"P", {2025, 1, 31, 12, 5, 9}, true, true, u"D:\\P", u"3", true, u"3", u"W"},
       "Installation log for: P\r\n"
       "Install date: 31-Jan-2025 12:05:09p\r\n"
       "Install type: Reinstall\r\n"
       "Install location: D:\\P\r\n"
       "Installer version: 34.0\r\n"
       "Product version: 3\r\n"
       "Overwriting version: 3\r\n"
       "Operating system: W\r\n\r\n"},
      // No uninstaller: no install type even for a reinstall; no version, no earlier installation.
      {"minimal",
       {u"P", {2025, 3, 1, 0, 0, 0}, false, true, u"D:\\P", u"", false, u"9", u"W"},
       "Installation log for: P\r\n"
       "Install date: 1-Mar-2025 12:00:00a\r\n"
       "Install location: D:\\P\r\n"
       "Installer version: 34.0\r\n"
       "Operating system: W\r\n\r\n"},
  };
  for (const Case& c : kCases) EXPECT_EQ(LogHeaderText(c.header), c.expected) << c.name;
}

TEST(InstallLogText, SectionLeadIsTheMarkOrTheSeparator) {
  EXPECT_EQ(LogSectionLead(true), "\xEF\xBB\xBF");
  std::string separator(LogSectionLead(false));
  EXPECT_EQ(separator, "\r\n\r\n" + std::string(46, '*') + "\r\n");
}

TEST(InstallLogText, OldLogWithoutMarkBecomesUtf8) {
  struct Case {
    std::string bytes;
    bool has_mark;
  };
  const Case kMarks[] = {{"", false}, {"\xEF\xBB", false}, {"\xEF\xBB\xBF", true}, {"\xEF\xBB\xBFx", true},
                         {"Installation", false}};
  for (const Case& c : kMarks) EXPECT_EQ(StartsWithUtf8Bom(c.bytes), c.has_mark) << c.bytes;

  // 0x80 is the euro sign in 1252, 0xE9 e-acute, 0x81 one of the undefined
  // bytes that Windows passes through as U+0081.
  EXPECT_EQ(ConvertOldLog("Caf\xE9 \x80\x81\r\n"), "\xEF\xBB\xBF" "Caf\xC3\xA9 \xE2\x82\xAC\xC2\x81\r\n");
}

TEST(InstallLogText, TailIsTheSummaryOrTheSuccessLine) {
  EXPECT_EQ(LogTailText(u"", u"Installation complete"), "Installation complete\r\n");
  EXPECT_EQ(LogTailText(u"Failed to write C:\\\u00E9.dll\r\n\r\n", u"Installation complete"),
            "*** FAILURE SUMMARY ***\r\nFailed to write C:\\\xC3\xA9.dll\r\n\r\n");
  EXPECT_EQ(FileFailureParagraph(u"Unable to write file", u"C:\\a.dll", u"Access is denied."),
            u"Unable to write file C:\\a.dll\r\nAccess is denied.\r\n\r\n");
}

TEST(InstallLogText, WriterConversions) {
  // Lone surrogates cannot be written as UTF-8: they become "?", a pair stays.
  EXPECT_EQ(LogUtf8(u"a\xD800z"), "a?z");
  EXPECT_EQ(LogUtf8(u"a\xDC00"), "a?");
  EXPECT_EQ(LogUtf8(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(LogUtf8(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
  // 8-bit text is 1252 whatever the system's code page.
  EXPECT_EQ(LogUtf8From1252("\x80 \xFC\x9F"), "\xE2\x82\xAC \xC3\xBC\xC5\xB8");
}

TEST(InstallLogText, LogPathIsInTheUninstallFolder) {
  EXPECT_EQ(InstallLogPath(u"C:\\Prog", u"Uninstall"), u"C:\\Prog\\Uninstall\\Install.log");
  EXPECT_EQ(InstallLogPath(u"C:\\Prog\\", u"Uninstall"), u"C:\\Prog\\Uninstall\\Install.log");
  EXPECT_EQ(InstallLogPath(u"C:\\Prog", u""), u"C:\\Prog\\Install.log");
}

TEST(InstallLogText, StreamNamesAreToldApartFromOtherTemporaries) {
  EXPECT_EQ(LogStreamName(0x00A1B2C3), u"OQTL00A1B2C3.tmp");
  EXPECT_TRUE(IsLogStreamName(LogStreamName(0xFFFFFFFF)));
  struct Case { const char16_t* name; bool stream; };
  const Case kCases[] = {
      {u"OQTL0123ABCD.tmp", true},
      {u"oqtl0123abcd.TMP", true},
      {u"OQT1A2B.tmp", false},       // a temporary waiting to replace a file at the restart
      {u"OQTL0123ABC.tmp", false},   // seven digits
      {u"OQTL0123ABCG.tmp", false},  // not hex
      {u"OQTL0123ABCD.log", false},
      {u"OQTL0123ABCD.tmp.bak", false},
      {u"XOQTL0123ABC.tmp", false},
  };
  for (const Case& c : kCases) EXPECT_EQ(IsLogStreamName(c.name), c.stream) << Utf16ToUtf8(c.name);
}

TEST(InstallLogText, FallbackLogNameIsAFileName) {
  EXPECT_EQ(FallbackLogName(u"Keld Pro 2"), u"Keld Pro 2 Install.log");
  EXPECT_EQ(FallbackLogName(u"A/B: \"C\" <d>|e*?\\f"), u"A_B_ _C_ _d__e___f Install.log");
  EXPECT_EQ(FallbackLogName(u" Tools..."), u"Tools Install.log");
  EXPECT_EQ(FallbackLogName(u""), u"Setup Install.log");
}

}  // namespace
}  // namespace ks
