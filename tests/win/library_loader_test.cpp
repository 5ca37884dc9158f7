// The system-folder-only loader: a DLL beside the program is never taken.
#include "core/library_loader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/wide.h"
#include "core_test_folder.h"

namespace ks {
namespace {

TEST(LibraryLoader, LoadsFromTheSystemFolderOnceAndNothingElse) {
  HMODULE first = LoadSystemLibrary(L"version.dll");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(LoadSystemLibrary(L"VERSION.DLL"), first);
  EXPECT_NE(SystemProcAddress(L"version.dll", "GetFileVersionInfoSizeW"), nullptr);
  EXPECT_EQ(SystemProcAddress(L"version.dll", "NoSuchExport"), nullptr);
  // Loaded by full path, a library already in the process is the same module.
  EXPECT_EQ(LoadSystemLibrary(L"kernel32.dll"), GetModuleHandleW(L"kernel32.dll"));

  // A planted DLL in the program's own folder is not found.
  wchar_t exe[MAX_PATH];
  std::u16string planted = U16(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
  planted = planted.substr(0, planted.find_last_of(u'\\') + 1) + u"ks_planted.dll";
  ASSERT_TRUE(WriteWholeFile(planted, "MZ not really a library"));
  SetLastError(0);
  EXPECT_EQ(LoadSystemLibrary(L"ks_planted.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  DeleteFileW(W(planted));

  EXPECT_EQ(LoadSystemLibrary(L"C:\\windows\\system32\\version.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_NAME));
  EXPECT_TRUE(RestrictDllSearch());
}

}  // namespace
}  // namespace ks
