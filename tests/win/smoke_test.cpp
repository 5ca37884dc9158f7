// Win32 smoke test: the test binary runs under Wine.
#include <windows.h>

#include <gtest/gtest.h>

TEST(Wine, TempPathExists) {
  wchar_t buf[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, buf), 0u);
  EXPECT_NE(GetFileAttributesW(buf), INVALID_FILE_ATTRIBUTES);
}
