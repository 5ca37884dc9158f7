// Launch, OpenDocument, the system's error texts and privileges under Wine.
#include "core/process.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/os_name.h"
#include "core/wide.h"
#include "core_test_folder.h"
#include "portable/text.h"

namespace ks {
namespace {

std::u16string SystemFolder() {
  wchar_t buffer[MAX_PATH];
  return U16(buffer, GetSystemDirectoryW(buffer, MAX_PATH));
}

TEST(Launch, EmptyCommandLineIsNotStarted) {
  DWORD pid = 1234;
  EXPECT_EQ(Launch(u"", kLaunchWait, {}, &pid), kLaunchNotStarted);
  EXPECT_EQ(pid, 0u);
}

TEST(Launch, WaitsForTheExitCodeOrReportsNone) {
  EXPECT_EQ(Launch(u"cmd /c exit 7", kLaunchWait | kLaunchHidden), 7u);
  int pumped = 0;
  EXPECT_EQ(Launch(u"cmd /c exit 9", kLaunchWait | kLaunchPumpWhileWaiting | kLaunchHidden, {}, nullptr,
                   [&] { ++pumped; }),
            9u);

  DWORD pid = 0;
  EXPECT_EQ(Launch(u"cmd /c exit 7", kLaunchHidden, {}, &pid), kLaunchNoExitCode);
  EXPECT_NE(pid, 0u);

  SetLastError(0);
  EXPECT_EQ(Launch(u"\"C:\\no such folder\\nothing.exe\" /x", kLaunchWait), kLaunchNotStarted);
  EXPECT_NE(GetLastError(), 0u);
}

TEST(Launch, WorkingFolderFromTheProgram) {
  std::u16string cmd = SystemFolder() + u"\\cmd.exe";
  EXPECT_EQ(ProgramFolder(u"\"" + cmd + u"\" /c exit"), SystemFolder());
  EXPECT_EQ(ProgramFolder(cmd + u" /c exit"), SystemFolder());
  EXPECT_EQ(ProgramFolder(u"cmd /c exit"), u"");
  EXPECT_EQ(ProgramFolder(u"\"C:\\no such folder\\x.exe\""), u"");

  TestFolder elsewhere(u"launch");
  std::u16string probe = u"\"" + cmd + u"\" /c if exist cmd.exe (exit 3) else exit 4";
  EXPECT_EQ(Launch(probe, kLaunchWait | kLaunchFolderFromProgram | kLaunchHidden), 3u);
  // A folder given by the caller wins.
  EXPECT_EQ(Launch(probe, kLaunchWait | kLaunchFolderFromProgram | kLaunchHidden, elsewhere.path()), 4u);
}

TEST(SystemErrorText, FixedAndSystemTexts) {
  EXPECT_EQ(SystemErrorText(0), u"");
  EXPECT_EQ(SystemErrorText(ERROR_INVALID_PASSWORD), u"Incorrect password.");
  SetLastError(1234);
  std::u16string text = SystemErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetLastError(), 1234u);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), u'\n');
  EXPECT_NE(text.back(), u' ');
}

struct ShellLog {
  std::vector<ShellRequest> calls;
  intptr_t answer = SE_ERR_ACCESSDENIED;
  ShellCall call() {
    return [this](const ShellRequest& r) {
      calls.push_back(r);
      return answer;
    };
  }
};

TEST(OpenDocument, EmptyTargetFailsWithInvalidName) {
  ShellLog shell;
  SetLastError(0);
  EXPECT_FALSE(OpenDocument(u"", u"", u"", u"", SW_SHOWNORMAL, shell.call()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_NAME));
  EXPECT_TRUE(shell.calls.empty());
}

TEST(OpenDocument, AccessDeniedIsRetriedAsAdministratorOnlyForOpen) {
  struct Case {
    const char16_t* verb;
    std::vector<std::u16string> asked;
  };
  const Case kCases[] = {
      {u"", {u"", u"runas"}},
      {u"open", {u"open", u"runas"}},
      {u"OPEN", {u"OPEN", u"runas"}},
      {u"print", {u"print"}},
  };
  for (const auto& c : kCases) {
    ShellLog shell;
    EXPECT_FALSE(OpenDocument(u"C:\\x.txt", u"", u"", c.verb, SW_SHOWNORMAL, shell.call()));
    std::vector<std::u16string> asked;
    for (const auto& r : shell.calls) asked.push_back(r.verb);
    EXPECT_EQ(asked, c.asked) << Utf16ToUtf8(c.verb);
  }
  ShellLog fine;
  fine.answer = 42;
  EXPECT_TRUE(OpenDocument(u"C:\\x.txt", u"", u"", u"open", SW_SHOWNORMAL, fine.call()));
  EXPECT_EQ(fine.calls.size(), 1u);
}

TEST(OpenDocument, FileUrlsOpenTheLocalPath) {
  TestFolder dir(u"url");
  std::u16string literal = dir / u"a%20b.txt";
  ASSERT_TRUE(WriteWholeFile(literal, "x"));
  ShellLog shell;
  shell.answer = 42;
  // The path as written exists: no decoding.
  EXPECT_TRUE(OpenDocument(u"file:///" + literal, u"", u"", u"", SW_SHOWNORMAL, shell.call()));
  EXPECT_EQ(shell.calls.back().target, literal);
  // It does not: percent escapes are UTF-8 bytes.
  EXPECT_TRUE(OpenDocument(u"FILE:///C:/My%20Docs/%C3%84rger.txt", u"", u"", u"", SW_SHOWNORMAL, shell.call()));
  EXPECT_EQ(shell.calls.back().target, u"C:/My Docs/\u00c4rger.txt");
  EXPECT_EQ(PercentDecode(u"100%"), u"100%");
  EXPECT_EQ(PercentDecode(u"%zz%41"), u"%zzA");
}

TEST(Privileges, UnknownPrivilegeFails) {
  EXPECT_TRUE(EnablePrivilege(kTakeOwnershipPrivilege));
  EXPECT_FALSE(EnablePrivilege(u"SeNoSuchPrivilege"));
}

TEST(Privileges, TakeOwnershipOfAFile) {
  TestFolder dir(u"owner");
  ASSERT_TRUE(WriteWholeFile(dir / u"mine.txt", "x"));
  EXPECT_EQ(TakeOwnership(dir / u"mine.txt", SE_FILE_OBJECT), 0u);
  EXPECT_NE(TakeOwnership(dir / u"missing.txt", SE_FILE_OBJECT), 0u);
}

TEST(OperatingSystemName, NamesThisSystem) {
  OsFacts facts = GatherOsFacts();
  std::u16string name = OperatingSystemName();
  EXPECT_EQ(name.rfind(u"Windows ", 0), 0u) << Utf16ToUtf8(name);
  EXPECT_TRUE(facts.is_64bit);  // the test prefix is a 64-bit one
  EXPECT_NE(name.find(u" x64"), std::u16string::npos) << Utf16ToUtf8(name);
  std::u16string short_name = OperatingSystemName(kOsShort | kOsNoServicePack);
  EXPECT_LE(short_name.size(), name.size());
}

}  // namespace
}  // namespace ks
