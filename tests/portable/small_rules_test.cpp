// Small pure rules: versions, dates, file error texts, text conversions.
#include <gtest/gtest.h>

#include "portable/exit_codes.h"
#include "portable/date_format.h"
#include "portable/file_errors.h"
#include "portable/text.h"
#include "portable/version.h"

namespace ks {
namespace {

TEST(Versions, Compare) {
  struct Case { const char* a; const char* b; int sign; };
  const Case kCases[] = {
      {"5.10", "5.9", 1}, {"1.0", "1", 0}, {"1.0.0.1", "1", 1}, {"2", "10", -1},
      {"1.2b", "1.2a", 0}, {"beta", "0", 0}, {"", "0.0", 0}, {"3.1.4", "3.1.40", -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    int r = CompareVersions(std::string_view(c.a), std::string_view(c.b));
    EXPECT_EQ((r > 0) - (r < 0), c.sign);
  }
  EXPECT_GT(CompareVersions(std::u16string_view(u"5.10"), std::u16string_view(u"5.9")), 0);
}

TEST(Dates, Letters) {
  DateTimeParts t{2026, 12, 7, 6, 58, 45};
  EXPECT_EQ(FormatDate("d-M-yy h:ii:ssap", t), "7-Dec-2026 6:58:45a");
  EXPECT_EQ(FormatDate("yymmdd", t), "20261207");
  DateTimeParts pm{2026, 3, 17, 12, 5, 9};
  EXPECT_EQ(FormatDate("dd MM y hh:ii:ss ap", pm), "17 March 26 12:05:09 p");
  DateTimeParts midnight{2026, 1, 1, 0, 0, 0};
  EXPECT_EQ(FormatDate("h:iiap", midnight), "12:00a");
}

TEST(FileErrors, Texts) {
  EXPECT_STREQ(FileErrorText(FileError::kOk), "Success.");
  EXPECT_STREQ(FileErrorText(FileError::kNoDrive), "The drive does not exist.");
  EXPECT_STREQ(FileErrorText(FileError(22)), "Erasure verification failed.");
  EXPECT_STREQ(FileErrorText(FileError(1)), "An unknown error occurred.");
  EXPECT_STREQ(FileErrorText(FileError(23)), "An unknown error occurred.");
  EXPECT_STREQ(FileErrorText(FileError(-5)), "An unknown error occurred.");
}

TEST(Text, Conversions) {
  std::string utf8 = "K\xC3\xA9ldwick \xE2\x82\xAC \xF0\x9F\x98\x80";
  std::u16string w = Utf8ToUtf16(utf8);
  EXPECT_EQ(w, u"K\u00e9ldwick \u20ac \U0001F600");
  EXPECT_EQ(Utf16ToUtf8(w), utf8);
  bool ok = true;
  Utf8ToUtf16("\xC3(", &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Cp1252ToUtf16("\x80\xE9"), u"\u20ac\u00e9");
  EXPECT_EQ(Utf16ToCp1252(u"\u20ac\u00e9\u4e2d"), "\x80\xE9?");
  EXPECT_EQ(NormaliseLineEnds(u"a\nb\r\nc\rd"), u"a\r\nb\r\nc\r\nd");
}

}  // namespace
}  // namespace ks

#include "portable/text_format.h"

namespace ks {
namespace {

TEST(TextFormat, Conversions) {
  EXPECT_EQ(FormatText(u"Error code: %d", {int64_t(47)}), u"Error code: 47");
  EXPECT_EQ(FormatText(u"%s needs %u bytes on %s: 100%%", {u"App", int64_t(-1), u"C:"}),
            u"App needs 4294967295 bytes on C:: 100%");
  // Missing arguments leave the conversion as written.
  EXPECT_EQ(FormatText(u"%s and %s", {u"one"}), u"one and %s");
  EXPECT_EQ(FormatText(u"%ls/%ld", {u"w", int64_t(5)}), u"w/5");
  EXPECT_EQ(FormatText(u"trailing %", {}), u"trailing %");
}

}  // namespace
}  // namespace ks

namespace ks {
namespace {

TEST(ExitCodes, ClassicAndDeploymentSets) {
  const struct {
    ExitCode end;
    ExitFacts facts;
    unsigned classic, deployment;
  } kCases[] = {
      {ExitCode::kInstallEnd, {}, 1, 0},
      {ExitCode::kInstallEnd, {.restart_pending = true}, 1, 3010},
      {ExitCode::kInstallEnd, {.restart_pending = true, .failures = true}, 1, 1603},
      {ExitCode::kUninstallEnd, {}, 0, 0},
      {ExitCode::kUninstallEnd, {.failures = true}, 0, 1603},
      {ExitCode::kCancelled, {}, 1, 1602},
      {ExitCode::kRefused, {}, 1, 1603},
      {ExitCode::kAnotherInstance, {}, 1, 1618},
      {ExitCode::kFatal, {.restart_pending = true}, 1, 1603},
      // An uninstall run that stops early still ends with 0 in the classic set.
      {ExitCode::kCancelled, {.uninstalling = true}, 0, 1602},
      {ExitCode::kRefused, {.uninstalling = true}, 0, 1603},
      {ExitCode::kFatal, {.uninstalling = true}, 1, 1603},
  };
  for (const auto& c : kCases) {
    ExitFacts facts = c.facts;
    EXPECT_EQ(ProcessExitCode(c.end, facts), c.classic) << int(c.end);
    facts.deployment = true;
    EXPECT_EQ(ProcessExitCode(c.end, facts), c.deployment) << int(c.end);
  }
}

}  // namespace
}  // namespace ks
