// RunBatch under Wine's cmd: the folder it runs in, the captured output in the
// log, values that cmd must not act on, and each failure with its text.
#include "script/batch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/process.h"
#include "core/wide.h"
#include "core_test_folder.h"
#include "portable/text.h"
#include "portable/variables.h"
#include "script/folder_variables.h"

namespace ks {
namespace {

struct Shown {
  std::u16string text, caption;
  UINT flags = 0;
};

class BatchTest : public ::testing::Test {
 protected:
  BatchContext Context(std::u16string install_dir, bool silent = true) {
    BatchContext c;
    c.install_dir = std::move(install_dir);
    c.silent = silent;
    c.log = &log;
    c.value = [this](int id) -> std::u16string {
      if (id == kVarInstallDir) return install_value.empty() ? dir.path() : install_value;
      if (id == kVarProductName) return product;
      if (id == kVarVersion) return u"2.5";
      if (id == kVarTemp) return temp.path();
      return u"";
    };
    c.show_error = [this](const std::u16string& text, const std::u16string& caption, UINT flags) {
      shown.push_back({text, caption, flags});
      return IDOK;
    };
    return c;
  }
  std::string Log() { return log.StreamText(); }

  TestFolder dir{u"batch"};
  TestFolder temp{u"batch-temp"};  // the temporary folder the batch falls back on
  std::u16string install_value;
  std::u16string product = u"Batch Product";
  InstallLog log;
  std::vector<Shown> shown;
};

// Restores an environment variable when the test ends.
class EnvironmentGuard {
 public:
  EnvironmentGuard(const wchar_t* name, const wchar_t* value) : name_(name) {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    had_ = n > 0 && n < MAX_PATH;
    if (had_) old_.assign(buffer, n);
    SetEnvironmentVariableW(name, value);
  }
  ~EnvironmentGuard() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  std::wstring old_;
  bool had_ = false;
};

TEST_F(BatchTest, RunsInTheInstallFolderAndLogsItsOutput) {
  std::string text =
      "echo made> made.txt\r\n"
      "echo dir=%CD%\r\n"
      "echo [%ProductName%] [%Version%]\r\n"
      "@ pause \r\n"
      "echo done";
  ASSERT_TRUE(RunBatch(Context(dir.path()), text, u"Test Batch", false));
  std::string dir8 = Utf16ToUtf8(dir.path());
  EXPECT_EQ(Log(), "\r\nRunning Test Batch...\r\ndir=" + dir8 + "\r\n[Batch Product] [2.5]\r\ndone\r\n\r\n");
  EXPECT_TRUE(Exists(dir / u"made.txt"));
  EXPECT_FALSE(Exists(dir / u"SETUPBAT.BAT"));
  EXPECT_FALSE(Exists(dir / u"cs_batch.log"));
  EXPECT_TRUE(shown.empty());
}

TEST_F(BatchTest, WithoutTheInstallFolderItRunsInTheTemporaryFolder) {
  std::u16string missing = dir / u"not yet";
  install_value = missing;
  ASSERT_TRUE(RunBatch(Context(missing), "echo [%CD%] [%InstallDir%]", u"Pre", true));
  EXPECT_EQ(Log(), "\r\nRunning Pre...\r\n" + Utf16ToUtf8(u"[" + temp.path() + u"] [" + missing + u"]") + "\r\n\r\n");
  EXPECT_FALSE(Exists(temp / u"SETUPBAT.BAT"));
  EXPECT_FALSE(Exists(temp / u"cs_batch.log"));
}

TEST_F(BatchTest, UntitledBatchesLogNothing) {
  ASSERT_TRUE(RunBatch(Context(dir.path()), "echo quiet\r\necho x> x.txt", u"", true));
  EXPECT_EQ(Log(), "");
  EXPECT_TRUE(Exists(dir / u"x.txt"));
  EXPECT_TRUE(RunBatch(Context(dir.path()), "", u"Empty", true));
  EXPECT_EQ(Log(), "");
}

TEST_F(BatchTest, ValuesReachTheBatchExactlyAndRunNothing) {
  // cmd reads "%" and, outside quotes, "&|<>^()": none of them may act.
  TestFolder odd(u"R&D (x86) ^ 100% sure");
  install_value = odd.path();
  const std::u16string kProducts[] = {
      u"P & echo pwned> pwned1.txt",
      u"P\" & echo pwned> pwned2.txt & \"Q",
      u"P\" | echo pwned> pwned3.txt (x) ^ \"%PATH%\"",
      u"100%% %CD% !x!",
  };
  for (const std::u16string& name : kProducts) {
    SCOPED_TRACE(Utf16ToUtf8(name));
    product = name;
    InstallLog fresh;
    BatchContext context = Context(odd.path());
    context.log = &fresh;
    ASSERT_TRUE(RunBatch(context, "set ProductName\r\nset InstallDir\r\n", u"T", true));
    EXPECT_EQ(fresh.StreamText(), "\r\nRunning T...\r\nProductName=" + Utf16ToUtf8(name) + "\r\nInstallDir=" +
                                      Utf16ToUtf8(odd.path()) + "\r\n\r\n");
  }
  for (const char16_t* f : {u"pwned1.txt", u"pwned2.txt", u"pwned3.txt"}) {
    EXPECT_FALSE(Exists(odd / f)) << Utf16ToUtf8(f);
    EXPECT_FALSE(Exists(temp / f)) << Utf16ToUtf8(f);
  }
}

TEST_F(BatchTest, MissingInterpreter) {
  EnvironmentGuard comspec(L"COMSPEC", L"C:\\no such folder\\cmd.exe");
  EXPECT_EQ(CommandInterpreter(), u"C:\\no such folder\\cmd.exe");
  EXPECT_FALSE(RunBatch(Context(dir.path()), "echo x> x.txt", u"B", true));
  EXPECT_EQ(Log(), "\r\nRunning B...\r\nThe CLI C:\\no such folder\\cmd.exe does not exist!\r\n");
  EXPECT_FALSE(Exists(dir / u"SETUPBAT.BAT"));
}

TEST_F(BatchTest, InterpreterThatCannotStart) {
  ASSERT_TRUE(WriteWholeFile(dir / u"notaprogram.txt", "just text"));
  std::u16string fake = dir / u"notaprogram.txt";
  EnvironmentGuard comspec(L"COMSPEC", W(fake));
  EXPECT_FALSE(RunBatch(Context(dir.path(), false), "echo x", u"", true));
  std::u16string batch = dir / u"SETUPBAT.BAT";
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, u"Error");
  EXPECT_EQ(shown[0].flags & MB_ICONERROR, UINT(MB_ICONERROR));
  EXPECT_EQ(shown[0].text.rfind(u"Unable to launch batch file \"" + batch + u"\".\r\n\r\n", 0), 0u);
  EXPECT_GT(shown[0].text.size(), batch.size() + 35);  // the system's error text follows
  EXPECT_EQ(Log(), Utf16ToUtf8(shown[0].text) + "\r\n");
  EXPECT_FALSE(Exists(batch));
}

TEST_F(BatchTest, BatchFileThatCannotBeWritten) {
  // A folder in the file's place.
  ASSERT_TRUE(CreateDirectoryW(W(dir / u"SETUPBAT.BAT"), nullptr));
  EXPECT_FALSE(RunBatch(Context(dir.path(), false), "echo x", u"", true));
  ASSERT_EQ(shown.size(), 1u);
  std::u16string prefix = u"Unable to create batch file \"" + (dir / u"SETUPBAT.BAT") + u"\".\r\n\r\n";
  EXPECT_EQ(shown[0].text.rfind(prefix, 0), 0u);
  EXPECT_GT(shown[0].text.size(), prefix.size());
  EXPECT_EQ(Log(), Utf16ToUtf8(shown[0].text) + "\r\n");

  // Silent: the same in the log, nothing shown.
  shown.clear();
  InstallLog quiet;
  BatchContext context = Context(dir.path(), true);
  context.log = &quiet;
  EXPECT_FALSE(RunBatch(context, "echo x", u"", true));
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(quiet.StreamText().rfind(Utf16ToUtf8(prefix), 0), 0u);
}

TEST_F(BatchTest, CaptureFileThatCannotBeCreatedStillRunsTheBatch) {
  ASSERT_TRUE(CreateDirectoryW(W(dir / u"cs_batch.log"), nullptr));
  ASSERT_TRUE(RunBatch(Context(dir.path()), "echo ran> ran.txt\r\necho not captured", u"C", true));
  EXPECT_TRUE(Exists(dir / u"ran.txt"));
  std::string logged = Log();
  std::string head = "\r\nRunning C...\r\nFailed to create batch output capture file.  ";
  EXPECT_EQ(logged.rfind(head, 0), 0u) << logged;
  EXPECT_GT(logged.size(), head.size() + 2);
  EXPECT_EQ(logged.substr(logged.size() - 2), "\r\n");
  EXPECT_EQ(logged.find("not captured"), std::string::npos);
}

TEST_F(BatchTest, LongPathsWithSpacesAreQuotedForCmd) {
  // The command line for a folder without short names: quoted paths inside
  // the pair that /c removes.
  TestFolder spaced(u"a b & c");
  std::u16string batch = spaced / u"SETUPBAT.BAT", capture = spaced / u"cs_batch.log";
  ASSERT_TRUE(WriteWholeFile(batch, "@echo long form ran\r\n"));
  std::u16string line = BatchCommandLine(CommandInterpreter(), batch, capture);
  EXPECT_EQ(Launch(line, kLaunchWait | kLaunchHidden, spaced.path()), 0u);
  HANDLE h = CreateFileW(W(capture), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[64] = {};
  DWORD got = 0;
  ReadFile(h, buffer, sizeof buffer - 1, &got, nullptr);
  CloseHandle(h);
  EXPECT_EQ(std::string(buffer, got), "long form ran\r\n");
}

}  // namespace
}  // namespace ks
