// The one end of the process: exit steps shared by the orderly and the fatal
// end, and the out-of-memory report. Each case runs in a child process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "core/fatal.h"
#include "portable/text.h"

namespace ks {
namespace {

void FatalToStderr() {
  SetFatalMessageSink([](const std::u16string& text) {
    fputs(("[" + Utf16ToUtf8(text) + "]").c_str(), stderr);
    fflush(stderr);
  });
}

void Say(const char* text) {
  fputs(text, stderr);
  fflush(stderr);
}

TEST(ProcessEndDeathTest, OrderlyEndRunsTheStepsNewestFirstWithItsCode) {
  EXPECT_EXIT(
      {
        AddExitStep([] { Say("<a>"); });
        AddExitStep([] { Say("<b>"); });
        EndProcess(ExitCode::kUninstallEnd);
      },
      ::testing::ExitedWithCode(0), "<b><a>");
}

TEST(ProcessEndDeathTest, AStepThatFailsFatallyStillLetsTheOthersRunOnce) {
  EXPECT_EXIT(
      {
        FatalToStderr();
        AddExitStep([] { Say("<a>"); });
        AddExitStep([] {
          Say("<b>");
          Fatal(u"stop");
        });
        AddExitStep([] { Say("<c>"); });
        EndProcess(ExitCode::kInstallEnd);
      },
      ::testing::ExitedWithCode(1), "<c><b><a>\\[stop\\]");
}

TEST(ProcessEndDeathTest, OutOfMemoryReportsAdviceSizeAndStack) {
  EXPECT_EXIT(
      {
        FatalToStderr();
        SetOutOfMemoryAdvice(u"Close other programs \u00e9.");
        OutOfMemory(123);
      },
      ::testing::ExitedWithCode(1),
      "\\[Out Of Memory\\.\r\nAdvice: Close other programs \xC3\xA9\\.\r\n"
      "Requested size = 123 \\(0x0000007B\\)\r\n\r\nStack contents:\r\n");
}

}  // namespace
}  // namespace ks
