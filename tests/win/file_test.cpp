// The file object under Wine: open codes, read and write texts, 1 MiB write
// pieces, temporary names, and the folder removals.
#include "core/file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/folder_removal.h"
#include "core/wide.h"
#include "core_test_folder.h"
#include "portable/file_errors.h"
#include "portable/text.h"

namespace ks {
namespace {

std::string Text8(const std::u16string& s) { return Utf16ToUtf8(s); }

class FileTest : public ::testing::Test {
 protected:
  TestFolder dir{u"file"};
};

TEST_F(FileTest, OpenFailuresMapToLibraryCodes) {
  ASSERT_TRUE(WriteWholeFile(dir / u"existing.txt", "abc"));
  ASSERT_TRUE(WriteWholeFile(dir / u"readonly.txt", "abc"));
  ASSERT_TRUE(SetFileAttributesW(W(dir / u"readonly.txt"), FILE_ATTRIBUTE_READONLY));
  // Pick a drive letter that is not mapped in this prefix.
  std::u16string missing_drive;
  for (char16_t letter = u'q'; letter <= u'y' && missing_drive.empty(); ++letter) {
    wchar_t root[] = {wchar_t(letter), L':', L'\\', 0};
    if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) missing_drive = std::u16string(1, letter) + u":\\folder\\file.txt";
  }
  ASSERT_FALSE(missing_drive.empty());

  struct Case {
    std::u16string path;
    unsigned flags;
    FileError code;
    DWORD system_error;
  };
  const Case kCases[] = {
      {dir / u"nothing.txt", kOpenExisting, FileError::kNotFound, ERROR_FILE_NOT_FOUND},
      {dir / u"no\\such\\folder.txt", kOpenExisting, FileError::kNoFolder, ERROR_PATH_NOT_FOUND},
      {missing_drive, kOpenExisting, FileError::kNoDrive, 0},
      {dir / u"existing.txt", kOpenCreateNew, FileError::kExists, ERROR_FILE_EXISTS},
      {dir / u"readonly.txt", kOpenExisting | kOpenNoWrite, FileError::kOk, 0},
      {dir / u"bad<name.txt", kOpenAlways, FileError::kInvalidName, ERROR_INVALID_NAME},
      {u"", kOpenAlways, FileError::kInvalidName, ERROR_INVALID_NAME},
      {dir / u"existing.txt", kOpenExisting, FileError::kOk, 0},
  };
  for (const auto& c : kCases) {
    File file;
    SetLastError(0);
    EXPECT_EQ(file.Open(c.path, c.flags), c.code) << Text8(c.path);
    if (c.system_error) {
      EXPECT_EQ(GetLastError(), c.system_error) << Text8(c.path);
    }
    EXPECT_EQ(Text8(file.LastErrorText()), FileErrorText(c.code)) << Text8(c.path);
    EXPECT_EQ(file.IsOpen(), c.code == FileError::kOk);
  }
  SetFileAttributesW(W(dir / u"readonly.txt"), FILE_ATTRIBUTE_NORMAL);
}

// Wine run as root opens a read-only file for writing, so the refinement of
// access denied is checked on the table itself.
TEST_F(FileTest, AccessDeniedOnAReadOnlyFileIsCode13OnlyForWriting) {
  ASSERT_TRUE(WriteWholeFile(dir / u"readonly.txt", "abc"));
  ASSERT_TRUE(WriteWholeFile(dir / u"plain.txt", "abc"));
  ASSERT_TRUE(SetFileAttributesW(W(dir / u"readonly.txt"), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(FileErrorFromSystem(ERROR_ACCESS_DENIED, dir / u"readonly.txt", true), FileError::kReadOnly);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(FileErrorFromSystem(ERROR_ACCESS_DENIED, dir / u"readonly.txt", false), FileError::kAccessDenied);
  EXPECT_EQ(FileErrorFromSystem(ERROR_ACCESS_DENIED, dir / u"plain.txt", true), FileError::kAccessDenied);
  SetFileAttributesW(W(dir / u"readonly.txt"), FILE_ATTRIBUTE_NORMAL);

  struct Case {
    DWORD error;
    FileError code;
  };
  const Case kCases[] = {
      {ERROR_FILE_NOT_FOUND, FileError::kNotFound},   {ERROR_INVALID_DRIVE, FileError::kNoDrive},
      {ERROR_TOO_MANY_OPEN_FILES, FileError::kTooManyOpen}, {ERROR_NOT_READY, FileError::kNotReady},
      {ERROR_SHARING_VIOLATION, FileError::kLocked},  {ERROR_BAD_NETPATH, FileError::kBadNetPath},
      {ERROR_NETNAME_DELETED, FileError::kBadNetPath}, {ERROR_NO_NET_OR_BAD_PATH, FileError::kBadNetPath},
      {ERROR_FILE_EXISTS, FileError::kExists},        {ERROR_INVALID_PARAMETER, FileError::kInvalidParameter},
      {ERROR_INVALID_NAME, FileError::kInvalidName},  {ERROR_DISK_FULL, FileError::kUnknown},
      {ERROR_PATH_NOT_FOUND, FileError::kNoFolder},
  };
  for (const auto& c : kCases) EXPECT_EQ(FileErrorFromSystem(c.error, u"C:\\x\\y", false), c.code) << c.error;
}

TEST_F(FileTest, SharingViolationIsCode5AndIsRetriedUnlessAskedNot) {
  std::u16string path = dir / u"locked.txt";
  UniqueHandle holder(CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(holder.valid());

  File file;
  DWORD start = GetTickCount();
  EXPECT_EQ(file.Open(path, kOpenExisting | kOpenNoSharingRetry), FileError::kLocked);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
  EXPECT_LT(GetTickCount() - start, 300u);

  start = GetTickCount();
  EXPECT_EQ(file.Open(path, kOpenExisting), FileError::kLocked);
  EXPECT_GE(GetTickCount() - start, 450u);  // five retries, 100 ms apart

  start = GetTickCount();
  EXPECT_EQ(file.Open(path, kOpenExisting | kOpenNoSharingRetry | kOpenRetryOnce), FileError::kLocked);
  EXPECT_GE(GetTickCount() - start, 140u);
}

TEST_F(FileTest, EightBitPathWithBarIsUtf8) {
  std::u16string wide = dir / u"\u00dcber \u65e5.txt";
  File file;
  std::string bar_path = "|";
  bar_path += Utf16ToUtf8(wide);
  ASSERT_EQ(file.Open(bar_path, kOpenCreateAlways), FileError::kOk);
  file.Close();
  EXPECT_TRUE(Exists(wide));
  EXPECT_EQ(file.Path(), wide);
}

TEST_F(FileTest, ReadAndWriteFailureTexts) {
  char buffer[16] = {};
  File closed;
  EXPECT_TRUE(closed.ReadExact(buffer, 0));
  EXPECT_FALSE(closed.ReadExact(buffer, -5));
  EXPECT_EQ(closed.LastErrorText(), u"Illegal block size -5");
  EXPECT_FALSE(closed.ReadExact(nullptr, 4));
  EXPECT_EQ(closed.LastErrorText(), u"read(NULL)");
  EXPECT_FALSE(closed.ReadExact(buffer, 4));
  EXPECT_EQ(closed.LastErrorText(), u"File not open");
  EXPECT_EQ(closed.ReadUpTo(buffer, 0), -1);
  EXPECT_EQ(closed.LastErrorText(), u"Illegal block size 0");
  EXPECT_EQ(closed.ReadUpTo(nullptr, 4), -1);
  EXPECT_EQ(closed.LastErrorText(), u"NULL block pointer");
  EXPECT_TRUE(closed.Write(buffer, 0));
  EXPECT_FALSE(closed.Write(buffer, -1));
  EXPECT_EQ(closed.LastErrorText(), u"Illegal block size");
  EXPECT_FALSE(closed.Write(buffer, 4));
  EXPECT_EQ(closed.LastErrorText(), u"File not open");

  std::u16string path = dir / u"data.bin";
  File writer;
  ASSERT_EQ(writer.Open(path, kOpenCreateAlways | kOpenNoRead), FileError::kOk);
  EXPECT_TRUE(writer.Write("0123456789", 10));
  EXPECT_FALSE(writer.ReadExact(buffer, 1));
  EXPECT_EQ(writer.LastErrorText(), u"Read access denied");
  writer.Close();

  File reader;
  ASSERT_EQ(reader.Open(path, kOpenExisting | kOpenNoWrite), FileError::kOk);
  EXPECT_FALSE(reader.Write("x", 1));
  EXPECT_EQ(reader.LastErrorText(), u"Write access denied");
  ASSERT_TRUE(reader.ReadExact(buffer, 4));
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(reader.ReadUpTo(buffer, 16), 6);
  EXPECT_EQ(std::string(buffer, 6), "456789");
  ASSERT_TRUE(reader.Seek(8));
  EXPECT_FALSE(reader.ReadExact(buffer, 4));
  EXPECT_EQ(reader.LastErrorText(), u"Read past end of file");
  EXPECT_EQ(reader.Size(), 10);
}

TEST_F(FileTest, SeekEndCloseAtOnceAndSharedReading) {
  std::u16string path = dir / u"ten.bin";
  ASSERT_TRUE(WriteWholeFile(path, "0123456789"));
  File file;
  ASSERT_EQ(file.Open(path, kOpenExisting | kOpenSeekEnd), FileError::kOk);
  EXPECT_EQ(file.Position(), 10);
  file.Close();

  ASSERT_EQ(file.Open(path, kOpenExisting | kOpenCloseAtOnce), FileError::kOk);
  EXPECT_FALSE(file.IsOpen());

  // A reader that shares reading also lets writers in; a second reader works.
  File first, second;
  ASSERT_EQ(first.Open(path, kOpenExisting | kOpenNoWrite | kOpenShareRead), FileError::kOk);
  EXPECT_EQ(second.Open(path, kOpenExisting | kOpenShareRead | kOpenShareWrite | kOpenNoSharingRetry), FileError::kOk);
}

// Counts the WriteFile calls and their sizes.
class CountingFile : public File {
 public:
  std::vector<DWORD> pieces;

 protected:
  bool WritePiece(const void* data, DWORD size, DWORD* written) override {
    pieces.push_back(size);
    return File::WritePiece(data, size, written);
  }
};

TEST_F(FileTest, LargeWritesGoOutInOneMebibytePieces) {
  std::vector<char> block(3 * kFileWritePiece + 5);
  for (size_t i = 0; i < block.size(); ++i) block[i] = char(i * 7);
  CountingFile file;
  ASSERT_EQ(file.Open(dir / u"big.bin", kOpenCreateAlways), FileError::kOk);
  ASSERT_TRUE(file.Write(block.data(), 3 * kFileWritePiece));
  EXPECT_EQ(file.pieces, (std::vector<DWORD>{1048576, 1048576, 1048576}));
  file.pieces.clear();
  ASSERT_TRUE(file.Write(block.data(), 5));
  EXPECT_EQ(file.pieces, std::vector<DWORD>{5});
  EXPECT_EQ(file.Size(), 3 * kFileWritePiece + 5);

  std::vector<char> back(block.size());
  ASSERT_TRUE(file.Seek(0));
  ASSERT_TRUE(file.ReadExact(back.data(), 3 * kFileWritePiece));
  EXPECT_EQ(0, memcmp(back.data(), block.data(), 3 * kFileWritePiece));
}

class RejectingFile : public File {
 protected:
  bool CheckContent() override { return false; }
};

TEST_F(FileTest, FailedContentCheckClosesWithCode6) {
  ASSERT_TRUE(WriteWholeFile(dir / u"c.bin", "x"));
  RejectingFile file;
  EXPECT_EQ(file.Open(dir / u"c.bin", kOpenExisting | kOpenCheckContent), FileError::kReadFailed);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Open(dir / u"c.bin", kOpenExisting), FileError::kOk);  // no check asked
}

TEST_F(FileTest, MemoryModeReadsWhatIsLeft) {
  File file;
  file.OpenMemory({'a', 'b', 'c'});
  ASSERT_TRUE(file.Write("de", 2));
  char buffer[8];
  EXPECT_EQ(file.ReadUpTo(buffer, 8), 5);
  EXPECT_EQ(std::string(buffer, 5), "abcde");
  EXPECT_FALSE(file.ReadExact(buffer, 1));
  EXPECT_EQ(file.LastErrorText(), u"Read past end of file");
  EXPECT_EQ(file.Size(), 5);
}

TEST_F(FileTest, TemporaryNamesUseTheOqtPrefix) {
  auto name_of = [](const std::u16string& path) { return path.substr(path.find_last_of(u'\\') + 1); };
  File in_temp;
  ASSERT_EQ(in_temp.Open(u"", NameSource(kNameTempInTempFolder) | kOpenCreateNew), FileError::kOk);
  EXPECT_EQ(in_temp.Path().rfind(TempFolder(), 0), 0u);
  EXPECT_EQ(name_of(in_temp.Path()).substr(0, 3), u"OQT");
  in_temp.Close();
  DeleteFileW(W(in_temp.Path()));

  File in_folder;
  ASSERT_EQ(in_folder.Open(dir.path() + u"\\", NameSource(kNameTempInFolder) | kOpenCreateNew), FileError::kOk);
  EXPECT_EQ(in_folder.Path().rfind(dir.path() + u"\\OQT", 0), 0u);

  File beside;
  ASSERT_EQ(beside.Open(dir / u"target.exe", NameSource(kNameTempBesidePath) | kOpenCreateNew), FileError::kOk);
  EXPECT_EQ(beside.Path().rfind(dir.path() + u"\\OQT", 0), 0u);
  EXPECT_NE(beside.Path(), in_folder.Path());

  File from_name;
  ASSERT_EQ(from_name.Open(dir / u"setup.log", NameSource(kNameTempFromName) | kOpenCreateNew), FileError::kOk);
  EXPECT_EQ(from_name.Path().rfind(dir.path() + u"\\OQT", 0), 0u);
  EXPECT_EQ(from_name.Path().substr(from_name.Path().size() - 10), u"_setup.log");

  File named;
  ASSERT_EQ(named.Open(u"ks-named.tmp", NameSource(kNameInTempFolder) | kOpenCreateAlways), FileError::kOk);
  EXPECT_EQ(named.Path(), TempFolder() + u"ks-named.tmp");
  named.Close();
  DeleteFileW(W(named.Path()));
}

TEST_F(FileTest, FolderRemovalRefusesRootsAndSystemFolders) {
  for (const char16_t* root : {u"C:\\", u"C:", u"\\"}) {
    SetLastError(0);
    EXPECT_FALSE(RemoveFolder(root, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_PATHNAME));
    SetLastError(0);
    EXPECT_FALSE(RemoveFolderTree(root, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_PATHNAME));
  }
  wchar_t windows[MAX_PATH], system[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  GetSystemDirectoryW(system, MAX_PATH);
  for (const std::u16string& folder : {U16(windows), U16(windows) + u"\\", U16(system)}) {
    EXPECT_TRUE(IsProtectedFolder(folder)) << Text8(folder);
    EXPECT_FALSE(RemoveFolderTree(folder, 0));
  }
  EXPECT_NE(GetFileAttributesW(system), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(IsProtectedFolder(dir.path()));
}

TEST_F(FileTest, RemoveFolderClearsShellFilesFirstUnlessAsked) {
  std::u16string folder = dir / u"shown";
  ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr));
  ASSERT_TRUE(WriteWholeFile(folder + u"\\desktop.ini", "[.ShellClassInfo]"));
  SetFileAttributesW(W(folder + u"\\desktop.ini"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_FALSE(RemoveFolder(folder, kRemoveKeepShellFiles));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DIR_NOT_EMPTY));
  EXPECT_TRUE(RemoveFolder(folder + u"\\", 0));
  EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(RemoveFolder(folder, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(FileTest, TreeRemovalTakesANestedTree) {
  std::u16string root = dir / u"tree";
  ASSERT_TRUE(CreateDirectoryW(W(root), nullptr));
  ASSERT_TRUE(CreateDirectoryW(W(root + u"\\a"), nullptr));
  ASSERT_TRUE(CreateDirectoryW(W(root + u"\\a\\b"), nullptr));
  ASSERT_TRUE(CreateDirectoryW(W(root + u"\\empty"), nullptr));
  ASSERT_TRUE(WriteWholeFile(root + u"\\top.txt", "1"));
  ASSERT_TRUE(WriteWholeFile(root + u"\\a\\mid.txt", "2"));
  ASSERT_TRUE(WriteWholeFile(root + u"\\a\\b\\deep.txt", "3"));
  ASSERT_TRUE(SetFileAttributesW(W(root + u"\\a\\b\\deep.txt"), FILE_ATTRIBUTE_READONLY));
  int pumped = 0;
  EXPECT_TRUE(RemoveFolderTree(root + u"\\", kRemovePumpMessages, [&] { ++pumped; }));
  EXPECT_FALSE(Exists(root));
  EXPECT_EQ(pumped, 3);  // once per file
  // Already gone counts as removed.
  EXPECT_TRUE(RemoveFolderTree(root, 0));
}

TEST_F(FileTest, TreeRemovalGoesOnPastALockedFileAndReportsIt) {
  std::u16string root = dir / u"busy";
  ASSERT_TRUE(CreateDirectoryW(W(root), nullptr));
  ASSERT_TRUE(WriteWholeFile(root + u"\\free.txt", "1"));
  ASSERT_TRUE(WriteWholeFile(root + u"\\held.txt", "2"));
  UniqueHandle holder(CreateFileW(W(root + u"\\held.txt"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder.valid());
  EXPECT_FALSE(RemoveFolderTree(root, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));  // the first failure, not the folder's
  EXPECT_FALSE(Exists(root + u"\\free.txt"));
  EXPECT_TRUE(Exists(root + u"\\held.txt"));
  holder.reset();
}

}  // namespace
}  // namespace ks
