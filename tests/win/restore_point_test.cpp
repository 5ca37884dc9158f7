// Restore points under Wine. Wine ships a srclient.dll whose
// SRSetRestorePointW always fails; the not-present paths use other names.
#include "core/restore_point.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "portable/text.h"

namespace ks {
namespace {

class RestorePointTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(RestorePointTest, EndWithoutBeginCallsNothing) {
  RestorePointClient client;
  EXPECT_FALSE(client.End());
  EXPECT_FALSE(EndRestorePoint());
}

TEST_F(RestorePointTest, MissingLibraryOrFunctionIsNamed) {
  std::u16string message;
  RestorePointClient absent(L"ks_no_such_srclient.dll");
  EXPECT_FALSE(absent.Begin(u"Installing Test Product", &message));
  EXPECT_EQ(message, u"System Restore is not present.");
  // The library is looked for once; the answer stays.
  EXPECT_FALSE(absent.Begin(u"Again", &message));
  EXPECT_EQ(message, u"System Restore is not present.");

  RestorePointClient no_function(L"kernel32.dll");
  EXPECT_FALSE(no_function.Begin(u"Installing Test Product", &message));
  EXPECT_EQ(message, u"SRSetRestorePointW is not present.");
  EXPECT_FALSE(no_function.End());
}

TEST_F(RestorePointTest, RefusedRestorePointReportsTheStatus) {
  std::u16string message;
  EXPECT_FALSE(BeginRestorePoint(std::u16string(300, u'x'), &message));
  // Windows without System Restore says "not present"; Wine's stub refuses.
  EXPECT_TRUE(message == u"System Restore is not present." || message.rfind(u"Failed, code ", 0) == 0)
      << Utf16ToUtf8(message);
  EXPECT_FALSE(EndRestorePoint());
  // COM security is set once; a second begin gets past it again.
  std::u16string again;
  EXPECT_FALSE(BeginRestorePoint(u"Again", &again));
  EXPECT_EQ(again, message);
}

}  // namespace
}  // namespace ks
