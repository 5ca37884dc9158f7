// Uninstall.DAT on disk: the written bytes, replacing an old file without a
// trace of it, and the error codes of writing and loading.
#include "uninstall/uninstall_data_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/handle.h"
#include "core/wide.h"
#include "core_test_folder.h"
#include "portable/text.h"

namespace ks {
namespace {

int FilesIn(const std::u16string& folder) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(W(folder + u"\\*"), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return n;
}

class UninstallDataFileTest : public ::testing::Test {
 protected:
  TestFolder dir{u"udat"};
};

TEST_F(UninstallDataFileTest, WritesTheComposedBytesOverAnOldFile) {
  const std::u16string path = dir / u"Uninstall.DAT";
  ASSERT_TRUE(WriteWholeFile(path, std::string(100000, 'o')));  // longer than the new text

  UninstallData data;
  data.RecordItem(dir / u"Data", kRecordFolder);
  data.RecordItem(dir / u"Data\\a.txt", kRecordFile);
  data.SetMessages([](int n) { return u"Text " + Widen(std::to_string(n)); }, u"Title");
  data.registry = {"\\HKLM\\Software\\Acme"};

  ASSERT_TRUE(WriteUninstallData(path, data));
  EXPECT_EQ(ReadWhole(path), ComposeUninstallData(data));
  EXPECT_EQ(FilesIn(dir.path()), 1);  // no temporary left beside it

  UninstallData loaded;
  EXPECT_EQ(LoadUninstallData(path, loaded), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(loaded.items, data.items);
  EXPECT_EQ(loaded.registry, data.registry);
  EXPECT_EQ(loaded.messages, data.messages);
  EXPECT_EQ(loaded.title, u"Title");
}

TEST_F(UninstallDataFileTest, FailuresReportTheSystemError) {
  UninstallData data;
  SetLastError(0);
  EXPECT_FALSE(WriteUninstallData(dir / u"no\\folder\\Uninstall.DAT", data));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(FilesIn(dir.path()), 0);

  EXPECT_EQ(LoadUninstallData(dir / u"Uninstall.DAT", data), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(LoadUninstallData(dir / u"no\\folder\\Uninstall.DAT", data), DWORD(ERROR_PATH_NOT_FOUND));

  // A file held without sharing cannot be read; the old one is not replaced.
  const std::u16string path = dir / u"Uninstall.DAT";
  ASSERT_TRUE(WriteWholeFile(path, "old"));
  {
    UniqueHandle lock(CreateFileW(W(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.valid());
    EXPECT_EQ(LoadUninstallData(path, data), DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(WriteUninstallData(path, data));
    EXPECT_EQ(FilesIn(dir.path()), 1);
  }
  EXPECT_EQ(ReadWhole(path), "old");
}

}  // namespace
}  // namespace ks
