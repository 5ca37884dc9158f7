// The two fatal ends of the core library: a required file that does not open
// and a required registry key. Each runs in a child process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "core/fatal.h"
#include "core/file.h"
#include "core/registry_key.h"
#include "portable/text.h"

namespace ks {
namespace {

void FatalToStderr() {
  SetFatalMessageSink([](const std::u16string& text) {
    fputs(Utf16ToUtf8(text).c_str(), stderr);
    fflush(stderr);
  });
}

TEST(RequiredDeathTest, FileThatDoesNotOpenEndsTheProgram) {
  EXPECT_EXIT(
      {
        FatalToStderr();
        File file;
        (void)file.Open(u"C:\\ks no such folder\\setup.dat", kOpenExisting | kOpenRequired);
      },
      ::testing::ExitedWithCode(1),
      "Failed to open required file:\r\nC:\\\\ks no such folder\\\\setup\\.dat\r\n\r\nThe directory does not exist\\.");
}

TEST(RequiredDeathTest, OpenFailureWithoutTheFlagReturns) {
  File file;
  EXPECT_EQ(file.Open(u"C:\\ks no such folder\\setup.dat", kOpenExisting), FileError::kNoFolder);
}

TEST(RequiredDeathTest, RequiredKeyNamesTheProgramAndTheKey) {
  EXPECT_EXIT(
      {
        FatalToStderr();
        RegistryKey key;
        (void)key.OpenPath(u"\\HKCU\\Software", kRegOpenOnly, kRegRead);
        key.RequiredKey(u"Tester", u"Keldwick\\Missing");
      },
      ::testing::ExitedWithCode(1),
      "The following registry key is required by Tester, but is invalid or does not exist:\n\n"
      "HKEY_CURRENT_USER\\\\Software\\\\Keldwick\\\\Missing\n\nIf you have tried moving this program");
}

}  // namespace
}  // namespace ks
