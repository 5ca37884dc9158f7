// The installation log under Wine: Install.log sections byte for byte, the
// separator, an old 1252 log, the failure summary, the end-of-run questions
// and ShowLog's fallback.
#include "script/install_log.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/os_name.h"
#include "core/wide.h"
#include "core_test_folder.h"
#include "portable/install_log_text.h"
#include "portable/settings.h"
#include "portable/text.h"

namespace ks {
namespace {

std::u16string Message(int number) {
  if (number == kMsgFailuresShowLog) return u"Some parts failed. Show %s?";
  std::string n = std::to_string(number);
  return u"Message " + std::u16string(n.begin(), n.end());
}

const std::string kOs = Utf16ToUtf8(OperatingSystemName());

class InstallLogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateDirectoryW(W(dir / u"Uninstall"), nullptr)); }

  // A silent run that writes the log, with a fixed date.
  LogFinish Finish() const {
    LogFinish f;
    f.product_name = u"Caf\u00E9 Tools";
    f.product_version = u"2.0";
    f.install_folder = dir.path();
    f.uninstall_subdir = u"Uninstall";
    f.option_flags = kOptWriteLog | kOptUninstaller;
    f.silent = true;
    f.text = Message;
    f.date = DateTimeParts{2026, 12, 7, 18, 58, 45};
    f.message_box = [](const std::u16string&, const std::u16string&, UINT) {
      ADD_FAILURE() << "a silent run asked something";
      return IDNO;
    };
    return f;
  }
  std::string Header(const char* type, const char* overwriting) const {
    std::string h = "Installation log for: Caf\xC3\xA9 Tools\r\nInstall date: 7-Dec-2026 6:58:45p\r\n";
    h += std::string("Install type: ") + type + "\r\n";
    h += "Install location: " + Utf16ToUtf8(dir.path()) + "\r\nInstaller version: 34.0\r\nProduct version: 2.0\r\n";
    if (overwriting) h += std::string("Overwriting version: ") + overwriting + "\r\n";
    return h + "Operating system: " + kOs + "\r\n\r\n";
  }
  std::u16string LogPath() const { return dir / u"Uninstall\\Install.log"; }

  TestFolder dir{u"install-log"};
};

TEST_F(InstallLogTest, FirstAndSecondSectionByteForByte) {
  {
    InstallLog log;
    log.LogText8("Early line\r\n");  // before the stream exists: kept
    ASSERT_TRUE(log.Open(kOptWriteLog));
    std::u16string stream = log.StreamPath();
    EXPECT_TRUE(StartsWithNoCase(stream, TempFolder())) << Utf16ToUtf8(stream);
    EXPECT_TRUE(Exists(stream));

    log.LogText(u"Wide \u00E9\u4E2D \xD800!\r\n");
    log.LogText8("Eight \xE9\x80\r\n");
    log.LogFormat(u"%s = %d\r\n", {u"Files", int64_t(42)});
    log.LogFormat8("%s: %u bytes\r\n", "C:\\a.dll", 1024u);
    log.LogFormat8("Copy %s (%d)\r\n", std::string(3000, 'x').c_str(), 42);  // no length limit
    log.LogFormat8("%s", "");
    log.LogConcat({u"Copy ", u"\u00FC.txt", u"\r\n"});
    log.LogConcat8({"Copy ", "\xFC.txt", "\r\n"});
    log.LogRaw(std::string("raw \xFF\x00\r\n", 8));

    LogFinishResult result = log.FinishLog(Finish(), false, true);
    EXPECT_TRUE(result.written);
    EXPECT_FALSE(result.show_log);
    EXPECT_EQ(result.log_path, LogPath());
    EXPECT_FALSE(Exists(stream)) << "the temporary stream outlived the log";
  }
  const std::string lines =
      "Early line\r\n"
      "Wide \xC3\xA9\xE4\xB8\xAD ?!\r\n"
      "Eight \xC3\xA9\xE2\x82\xAC\r\n"
      "Files = 42\r\n"
      "C:\\a.dll: 1024 bytes\r\n"
      "Copy " + std::string(3000, 'x') + " (42)\r\n"
      "Copy \xC3\xBC.txt\r\n"
      "Copy \xC3\xBC.txt\r\n" +
      std::string("raw \xFF\x00\r\n", 8);
  const std::string first = "\xEF\xBB\xBF" + Header("New", nullptr) + lines + "\r\nMessage 43\r\n";
  EXPECT_EQ(ReadWhole(LogPath()), first);

  // The same version again over the first installation.
  InstallLog log;
  ASSERT_TRUE(log.Open());
  log.LogText(u"Second run\r\n");
  LogFinish f = Finish();
  f.earlier_installation = true;
  f.old_version = u"2.0";
  EXPECT_TRUE(log.FinishLog(f, true, true).written);
  EXPECT_EQ(ReadWhole(LogPath()), first + "\r\n\r\n" + std::string(46, '*') + "\r\n" +
                                          Header("Reinstall", "2.0") + "Second run\r\n\r\nMessage 43\r\n");
}

TEST_F(InstallLogTest, OldLogWithoutMarkIsConvertedFrom1252) {
  ASSERT_TRUE(WriteWholeFile(LogPath(), "Old section Caf\xE9 \x80 \x9F\r\n"));
  InstallLog log;
  ASSERT_TRUE(log.Open());
  log.LogText(u"New\r\n");
  ASSERT_TRUE(log.FinishLog(Finish(), false, true).written);
  EXPECT_EQ(ReadWhole(LogPath()), "\xEF\xBB\xBF" "Old section Caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8\r\n" "\r\n\r\n" +
                                          std::string(46, '*') + "\r\n" + Header("New", nullptr) +
                                          "New\r\n\r\nMessage 43\r\n");
  // Nothing left beside it from the conversion.
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(W(dir / u"Uninstall\\*"), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::vector<std::u16string> names;
  do {
    std::u16string name = U16(found.cFileName);
    if (name != u"." && name != u"..") names.push_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  EXPECT_EQ(names, std::vector<std::u16string>{u"Install.log"});
}

TEST_F(InstallLogTest, EmptyExistingFileGetsTheMarkAndNoSeparator) {
  ASSERT_TRUE(WriteWholeFile(LogPath(), ""));
  InstallLog log;
  ASSERT_TRUE(log.Open());
  ASSERT_TRUE(log.FinishLog(Finish(), false, true).written);
  EXPECT_EQ(ReadWhole(LogPath()), "\xEF\xBB\xBF" + Header("New", nullptr) + "\r\nMessage 43\r\n");
}

TEST_F(InstallLogTest, FailureSummaryIsWrittenEvenWithoutTheLogSetting) {
  InstallLog log;
  ASSERT_TRUE(log.Open());
  log.LogText8("Line\r\n");
  log.AddFailure("Failed to associate file type:  \"x\".\r\n\r\n");
  log.AddFileFailure(u"Unable to write", u"C:\\\u4E2D.dll", u"Access is denied.");
  EXPECT_FALSE(log.FailureSummary().empty());
  LogFinish f = Finish();
  f.option_flags = kOptUninstaller;  // write-log off
  EXPECT_TRUE(log.FinishLog(f, false, true).written);
  EXPECT_EQ(ReadWhole(LogPath()), "\xEF\xBB\xBF" + Header("New", nullptr) +
                                          "Line\r\n\r\n*** FAILURE SUMMARY ***\r\n"
                                          "Failed to associate file type:  \"x\".\r\n\r\n"
                                          "Unable to write C:\\\xE4\xB8\xAD.dll\r\nAccess is denied.\r\n\r\n");
}

TEST_F(InstallLogTest, NoFileWithoutTheSetting) {
  InstallLog log;
  ASSERT_TRUE(log.Open());
  std::u16string stream = log.StreamPath();
  log.LogText(u"Line\r\n");
  LogFinish f = Finish();
  f.option_flags = kOptUninstaller;
  LogFinishResult result = log.FinishLog(f, false, true);
  EXPECT_FALSE(result.written);
  EXPECT_FALSE(Exists(result.log_path));
  EXPECT_FALSE(Exists(stream));
}

TEST_F(InstallLogTest, UnwritableInstallLogIsKeptInTheTemporaryFolder) {
  const std::u16string copy = TempFolder() + u"Caf\u00E9 Tools Install.log";
  for (bool failures : {false, true}) {
    SCOPED_TRACE(failures);
    DeleteFileW(W(copy));
    InstallLog log;
    ASSERT_TRUE(log.Open());
    std::u16string stream = log.StreamPath();
    log.LogText(u"Line\r\n");
    if (failures) log.AddFailure("Failed.\r\n\r\n");
    LogFinish f = Finish();
    f.uninstall_subdir = u"Missing";  // Install.log cannot be opened there
    f.silent = false;
    std::u16string asked;
    f.message_box = [&](const std::u16string& text, const std::u16string&, UINT) {
      asked = text;
      return IDNO;
    };
    LogFinishResult result = log.FinishLog(f, false, true);
    EXPECT_TRUE(result.written);
    EXPECT_TRUE(result.kept_elsewhere);
    EXPECT_EQ(result.log_path, copy);
    // The question names the file that exists.
    EXPECT_EQ(asked, failures ? u"Some parts failed. Show " + copy + u"?" : u"Message 42");
    EXPECT_FALSE(Exists(dir / u"Missing"));
    EXPECT_FALSE(Exists(stream));
    const std::string missing = Utf16ToUtf8(dir / u"Missing\\Install.log");
    std::string text = ReadWhole(copy);
    const std::string lead = "\xEF\xBB\xBF" + Header("New", nullptr) + "Line\r\nInstall.log could not be written to \"" +
                             missing + "\": ";
    ASSERT_EQ(text.substr(0, lead.size()), lead);
    const std::string tail = failures ? "\r\n\r\n*** FAILURE SUMMARY ***\r\nFailed.\r\n\r\n" : "\r\n\r\nMessage 43\r\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
  }
  DeleteFileW(W(copy));
}

TEST(LogStreams, StreamsOfKilledRunsGoThoseHeldStay) {
  const std::u16string temp = TempFolder();
  const std::u16string stale = temp + LogStreamName(0x0BADF00D), held = temp + LogStreamName(0x0BADF00E);
  const std::u16string restart_copy = temp + u"OQT0BAD.tmp";  // may wait to replace a file at the restart
  for (const std::u16string& p : {stale, held, restart_copy}) ASSERT_TRUE(WriteWholeFile(p, "lines\r\n"));
  {
    // Held as a running installer holds its stream: without sharing.
    HANDLE hold = CreateFileW(W(held), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    InstallLog first;
    ASSERT_TRUE(first.Open());
    EXPECT_TRUE(IsLogStreamName(first.StreamPath().substr(temp.size())));
    EXPECT_FALSE(Exists(stale));
    EXPECT_TRUE(Exists(held));
    EXPECT_TRUE(Exists(restart_copy));
    // A second installer starting meanwhile leaves the first one's stream alone.
    InstallLog second;
    ASSERT_TRUE(second.Open());
    EXPECT_TRUE(Exists(first.StreamPath()));
    CloseHandle(hold);
  }
  DeleteFileW(W(held));
  DeleteFileW(W(restart_copy));
}

TEST_F(InstallLogTest, LongStreamArrivesWholeAndFinishIsOnce) {
  InstallLog log;
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    std::string line = "File number " + std::to_string(i) + " >>> C:\\Somewhere\\file.bin\r\n";
    if (i == 100) {
      ASSERT_TRUE(log.Open());
    }
    log.LogText8(line);
    expected += line;
  }
  EXPECT_EQ(log.StreamText(), expected);
  ASSERT_TRUE(log.FinishLog(Finish(), false, true).written);
  std::string file = ReadWhole(LogPath());
  EXPECT_EQ(file, "\xEF\xBB\xBF" + Header("New", nullptr) + expected + "\r\nMessage 43\r\n");
  // The crash handler after a finished log adds no second section.
  log.AddFailure(std::u16string_view(u"\r\n\r\nINSTALLER CRASHED!\r\n"));
  EXPECT_FALSE(log.FinishLog(Finish(), false, false).written);
  EXPECT_EQ(ReadWhole(LogPath()), file);
}

// What the end of an interactive run shows: the questions and the finish
// message by summary, silence, settings and offers.
TEST_F(InstallLogTest, EndOfRunQuestionsAndFinishMessage) {
  struct Case {
    const char* name;
    bool failures, silent;
    uint32_t option_flags, option_flags2;
    bool finish_items, reboot, interactive;
    int answer;
    // Expected:
    const char* box;  // "text|caption", or "" for none
    bool summary_dialog;
    bool show_log;
    uint32_t option_flags2_after;
  };
  const uint32_t kLog = kOptWriteLog, kOffer = kOpt2OfferLog;
  const Case kCases[] = {
      {"failures, Yes", true, false, 0, 0, false, false, true, IDYES, "Some parts failed. Show <log>?|Message 41", false, true, 0},
      {"failures, No", true, false, 0, 0, false, false, true, IDNO, "Some parts failed. Show <log>?|Message 41", false, false, 0},
      {"failures, silent", true, true, 0, 0, false, false, true, IDYES, "", false, false, 0},
      {"failures, crash handler", true, false, 0, 0, false, false, false, IDYES, "", false, false, 0},
      {"nothing to offer", false, false, kLog, 0, false, false, true, IDOK, "Message 42|Message 43", false, false, 0},
      {"no log file, offer cleared", false, false, 0, kOffer, false, false, true, IDOK, "Message 42|Message 43", false, false, 0},
      {"view-log offer", false, false, kLog, kOffer, false, false, true, IDOK, "", true, false, kOffer},
      {"finish items", false, false, 0, 0, true, false, true, IDOK, "", true, false, 0},
      {"reboot wins over offers", false, false, kLog, kOffer, true, true, true, IDOK, "Message 42|Message 43", false, false, kOffer},
      {"no finish message", false, false, kLog | kOptNoFinishMessage, 0, false, false, true, IDOK, "", false, false, 0},
      {"silent success", false, true, kLog, 0, false, false, true, IDOK, "", false, false, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    InstallLog log;
    ASSERT_TRUE(log.Open());
    if (c.failures) log.AddFailure("Failed.\r\n\r\n");
    LogFinish f = Finish();
    f.silent = c.silent;
    f.option_flags = c.option_flags;
    f.option_flags2 = c.option_flags2;
    f.finish_items = c.finish_items;
    f.reboot_required = c.reboot;
    std::string box;
    int boxes = 0;
    f.message_box = [&](const std::u16string& text, const std::u16string& caption, UINT flags) {
      ++boxes;
      box = Utf16ToUtf8(text) + "|" + Utf16ToUtf8(caption);
      EXPECT_EQ(flags & MB_TYPEMASK, UINT(c.failures ? MB_YESNO : MB_OK));
      return c.answer;
    };
    int summaries = 0;
    uint32_t summary_flags = 0;
    f.show_summary = [&](uint32_t flags2) { ++summaries, summary_flags = flags2; };
    std::vector<std::u16string> opened;
    f.shell = [&](const ShellRequest& r) -> intptr_t { return opened.push_back(r.target), 42; };

    LogFinishResult result = log.FinishLog(f, false, c.interactive);
    std::string expected_box = c.box;
    size_t at = expected_box.find("<log>");
    if (at != std::string::npos) expected_box.replace(at, 5, Utf16ToUtf8(LogPath()));
    EXPECT_EQ(boxes, *c.box ? 1 : 0);
    EXPECT_EQ(box, expected_box);
    EXPECT_EQ(summaries, c.summary_dialog ? 1 : 0);
    if (c.summary_dialog) {
      EXPECT_EQ(summary_flags, c.option_flags2_after);
    }
    EXPECT_EQ(result.show_log, c.show_log);
    EXPECT_EQ(opened, c.show_log ? std::vector<std::u16string>{LogPath()} : std::vector<std::u16string>{});
    EXPECT_EQ(result.option_flags2, c.option_flags2_after);
    EXPECT_EQ(result.written, c.failures || (c.option_flags & kOptWriteLog));
    DeleteFileW(W(LogPath()));
  }
}

TEST(ShowLog, ShellFirstThenNotepad) {
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::u16string program_folder = U16(module);
  program_folder.resize(program_folder.find_last_of(u'\\'));

  std::vector<ShellRequest> requests;
  std::vector<std::u16string> launched;
  auto launch = [&](const std::u16string& command) { return launched.push_back(command), true; };

  auto works = [&](const ShellRequest& r) -> intptr_t { return requests.push_back(r), 42; };
  EXPECT_TRUE(ShowLog(u"C:\\P\\Install.log", works, launch));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, u"C:\\P\\Install.log");
  EXPECT_EQ(requests[0].folder, program_folder);
  EXPECT_EQ(requests[0].show, SW_SHOWNORMAL);
  EXPECT_TRUE(requests[0].verb.empty());
  EXPECT_TRUE(launched.empty());

  auto fails = [&](const ShellRequest& r) -> intptr_t { return requests.push_back(r), SE_ERR_NOASSOC; };
  EXPECT_TRUE(ShowLog(u"C:\\My P\\Install.log", fails, launch));
  EXPECT_EQ(launched, std::vector<std::u16string>{u"notepad.exe \"C:\\My P\\Install.log\""});
}

}  // namespace
}  // namespace ks
