// The DeleteList under Wine: comparison kinds against real files, wildcards and
// phases, locked files and restart registration, and DeleteFileEx's flags.
#include "uninstall/conditional_deletions.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/handle.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "core_test_folder.h"
#include "portable/conditional_deletion.h"
#include "portable/pending_renames.h"
#include "portable/text.h"
#include "core/delete_file.h"

namespace ks {
namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPending[] = L"PendingFileRenameOperations";

// The pending-rename value, kept aside and put back, so that the deletions
// this test registers never reach a restart of the prefix.
class PendingRenamesGuard {
 public:
  PendingRenamesGuard() {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    existed_ = Read(&saved_);
  }
  ~PendingRenamesGuard() {
    if (existed_)
      RegSetValueExW(key_, kPending, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(saved_.data()),
                     DWORD(saved_.size() * sizeof(char16_t)));
    else
      RegDeleteValueW(key_, kPending);
    RegCloseKey(key_);
  }
  // True when a pending deletion (no destination) of `path` is registered.
  bool DeletionPending(const std::u16string& path) {
    std::u16string data;
    if (!Read(&data)) return false;
    for (const RenamePair& pair : PairStrings(SplitMultiString(data)))
      if (pair.destination.empty() && EqualsNoCase(StripObjectPrefix(pair.source), path)) return true;
    return false;
  }

 private:
  bool Read(std::u16string* data) {
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key_, kPending, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
    data->assign(bytes / sizeof(char16_t), u'\0');
    return RegQueryValueExW(key_, kPending, nullptr, &type, reinterpret_cast<BYTE*>(data->data()), &bytes) ==
           ERROR_SUCCESS;
  }
  HKEY key_ = nullptr;
  bool existed_ = false;
  std::u16string saved_;
};

// A file of `size` bytes whose last-write time is `local` in local time.
void MakeFile(const std::u16string& path, size_t size, const DateTimeParts& local = {2021, 6, 15, 10, 20, 30}) {
  ASSERT_TRUE(WriteWholeFile(path, std::string(size, 'x')));
  SYSTEMTIME lt{WORD(local.year), WORD(local.month), 0, WORD(local.day), WORD(local.hour), WORD(local.minute),
                WORD(local.second), 0};
  SYSTEMTIME utc{};
  FILETIME ft{};
  ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &lt, &utc));
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
  UniqueHandle h(CreateFileW(W(path), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(h.valid());
  ASSERT_TRUE(SetFileTime(h.get(), nullptr, nullptr, &ft));
}

// Holds a file open without sharing, as a running program would.
UniqueHandle Lock(const std::u16string& path) {
  return UniqueHandle(CreateFileW(W(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

class ConditionalDeletionsTest : public ::testing::Test {
 protected:
  // Runs the records and collects what the installation would log.
  ConditionalDeletionOutcome Apply(bool during_install, std::vector<FileDeletion>& records,
                                   const VariableExpander& expand = {}) {
    DeletionReports reports{[this](std::u16string_view line) { log += line; },
                            [this](std::u16string_view line) { failures += line; }};
    return ApplyConditionalDeletions(during_install, records, dir.path(), expand, reports);
  }

  TestFolder dir{u"cdel"};
  PendingRenamesGuard pending;
  std::u16string log, failures;
};

TEST_F(ConditionalDeletionsTest, ComparisonKindsAgainstRealFiles) {
  // Every file: 1000 bytes, last written 2021-06-15 10:20:30 local time.
  struct Case {
    int kind;
    const char* value;
    bool deleted;
  };
  const Case kCases[] = {
      {kCompareAlways, "", true},
      {kCompareDateEqual, "2021-06-15", true},
      {kCompareDateEqual, "2021-06-16", false},
      {kCompareDateEqual, "2021-06-15 10:20:30", true},
      {kCompareDateEqual, "2021-06-15 10:20:31", false},
      {kCompareDateOnOrAfter, "2021-06-14", true},
      {kCompareDateOnOrAfter, "2021-06-15 10:20:30", true},
      {kCompareDateOnOrAfter, "2021-06-16", false},
      {kCompareDateOnOrBefore, "2021-06-16", true},
      {kCompareDateOnOrBefore, "2021-06-15", true},
      {kCompareDateOnOrBefore, "2021-06-15 10:20:29", false},
      {kCompareSizeEqual, "1000", true},
      {kCompareSizeEqual, "999", false},
      {kCompareSizeAtLeast, "1000", true},
      {kCompareSizeAtLeast, "1001", false},
      {kCompareSizeAtMost, "1000", true},
      {kCompareSizeAtMost, "999", false},
      {kCompareSizeAtLeast, "many", false},
  };
  int n = 0;
  for (const Case& c : kCases) {
    std::u16string name = u"f" + Widen(std::to_string(n++)) + u".dat";
    SCOPED_TRACE(std::to_string(c.kind) + " " + c.value);
    MakeFile(dir / name, 1000);
    std::vector<FileDeletion> records = {{Utf16ToUtf8(name), c.kind, c.value, kConditionalDuringInstall}};
    log.clear();
    ConditionalDeletionOutcome outcome = Apply(true, records);
    EXPECT_EQ(outcome.corrupt_code, 0);
    EXPECT_FALSE(outcome.restart_needed);
    EXPECT_EQ(Exists(dir / name), !c.deleted);
    EXPECT_EQ(log, c.deleted ? u"Deleted file: " + (dir / name) + u"\r\n\r\n" : u"");
    EXPECT_EQ(records.size(), 1u);  // the installation keeps its list
  }
  EXPECT_TRUE(failures.empty());
}

TEST_F(ConditionalDeletionsTest, WildcardsVariablesAndPhases) {
  MakeFile(dir / u"a.tmp", 10);
  MakeFile(dir / u"b.tmp", 10);
  MakeFile(dir / u"c.txt", 10);
  ASSERT_TRUE(CreateDirectoryW(W(dir / u"x.tmp"), nullptr));  // a folder is never a match
  // Attributes that would stop a plain deletion are cleared first.
  ASSERT_TRUE(SetFileAttributesW(W(dir / u"b.tmp"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                        FILE_ATTRIBUTE_SYSTEM));

  std::vector<FileDeletion> records = {
      {"%Dir%\\*.tmp", kCompareAlways, "", kConditionalDuringInstall},
      {"*.txt", kCompareAlways, "", kConditionalDuringUninstall},
      {"nothing-*.dat", kCompareAlways, "", kConditionalDuringUninstall},
  };
  const std::u16string folder = dir.path();
  VariableExpander expand = [&](std::u16string path) {
    size_t at = path.find(u"%Dir%");
    return at == std::u16string::npos ? path : path.replace(at, 5, folder);
  };

  EXPECT_EQ(Apply(true, records, expand).corrupt_code, 0);
  EXPECT_FALSE(Exists(dir / u"a.tmp"));
  EXPECT_FALSE(Exists(dir / u"b.tmp"));
  EXPECT_TRUE(Exists(dir / u"x.tmp"));
  EXPECT_TRUE(Exists(dir / u"c.txt"));  // not this phase's record
  EXPECT_EQ(records.size(), 3u);
  EXPECT_NE(log.find(u"Deleted file: " + (dir / u"a.tmp") + u"\r\n"), std::u16string::npos);
  EXPECT_NE(log.find(u"Deleted file: " + (dir / u"b.tmp") + u"\r\n"), std::u16string::npos);

  log.clear();
  EXPECT_EQ(Apply(false, records, expand).corrupt_code, 0);
  EXPECT_FALSE(Exists(dir / u"c.txt"));
  EXPECT_TRUE(log.empty());  // the uninstaller keeps no log
  // The done record is dropped; the installation's and the unmatched one stay.
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].path, "%Dir%\\*.tmp");
  EXPECT_EQ(records[1].path, "nothing-*.dat");

  // Without an install folder a relative pattern names nothing.
  MakeFile(dir / u"d.txt", 10);
  SetCurrentDirectoryW(W(folder));
  std::vector<FileDeletion> relative = {{"d.txt", kCompareAlways, "", kConditionalDuringInstall}};
  ApplyConditionalDeletions(true, relative, u"", expand);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  SetCurrentDirectoryW(temp);
  EXPECT_TRUE(Exists(dir / u"d.txt"));
}

TEST_F(ConditionalDeletionsTest, LockedFilesDuringTheInstallation) {
  const std::u16string retry = dir / u"retry.dll", stuck = dir / u"stuck.dll", later = dir / u"later.dll";
  MakeFile(retry, 10);
  MakeFile(stuck, 10);
  MakeFile(later, 10);
  UniqueHandle lock_retry = Lock(retry), lock_stuck = Lock(stuck);
  ASSERT_TRUE(lock_retry.valid() && lock_stuck.valid());

  std::vector<FileDeletion> records = {
      {"retry.dll", kCompareAlways, "", kConditionalDuringInstall | kConditionalRestartOnFailure},
      {"stuck.dll", kCompareAlways, "", kConditionalDuringInstall},
      {"later.dll", kCompareAlways, "", kConditionalDuringInstall | kConditionalAtRestart},
  };
  ConditionalDeletionOutcome outcome = Apply(true, records);
  EXPECT_TRUE(outcome.restart_needed);

  const std::u16string locked = SystemErrorText(ERROR_SHARING_VIOLATION);
  ASSERT_FALSE(locked.empty());
  EXPECT_EQ(log, u"File \"" + retry + u"\" will be deleted after rebooting: " + locked + u"\r\n" +
                     u"Failed to delete file \"" + stuck + u"\": " + locked + u"\r\n" +
                     u"File \"" + later + u"\" will be deleted after rebooting.\r\n" +
                     u"\r\n");
  EXPECT_TRUE(failures.empty());
  EXPECT_TRUE(pending.DeletionPending(retry));
  EXPECT_FALSE(pending.DeletionPending(stuck));
  EXPECT_TRUE(pending.DeletionPending(later));
  EXPECT_TRUE(Exists(later));  // flag 1 never deletes now
}

TEST_F(ConditionalDeletionsTest, LockedFilesDuringTheUninstallation) {
  const std::u16string kept = dir / u"kept.dll", waits = dir / u"waits.dll";
  MakeFile(kept, 10);
  MakeFile(waits, 10);
  UniqueHandle lock_kept = Lock(kept), lock_waits = Lock(waits);
  ASSERT_TRUE(lock_kept.valid() && lock_waits.valid());

  std::vector<FileDeletion> records = {
      {"kept.dll", kCompareAlways, "", kConditionalDuringUninstall},
      {"waits.dll", kCompareAlways, "", kConditionalDuringUninstall | kConditionalRestartOnFailure},
  };
  ConditionalDeletionOutcome outcome = Apply(false, records);
  EXPECT_TRUE(outcome.restart_needed);
  EXPECT_TRUE(pending.DeletionPending(waits));
  // The file that stays keeps its record for the next uninstall run.
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].path, "kept.dll");
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(failures.empty());
}

TEST_F(ConditionalDeletionsTest, ValueThatIsNoDateStopsBeforeDeleting) {
  MakeFile(dir / u"a.bak", 10);
  MakeFile(dir / u"b.bak", 10);
  std::vector<FileDeletion> records = {
      {"missing.bak", kCompareDateEqual, "not a date", kConditionalDuringInstall},  // no file: never compared
      {"*.bak", kCompareDateOnOrAfter, "31-Foo-2020", kConditionalDuringInstall},
      {"b.bak", kCompareAlways, "", kConditionalDuringInstall},
  };
  ConditionalDeletionOutcome outcome = Apply(true, records);
  EXPECT_EQ(outcome.corrupt_code, 65);
  EXPECT_TRUE(Exists(dir / u"a.bak"));
  EXPECT_TRUE(Exists(dir / u"b.bak"));
  EXPECT_TRUE(log.empty());
}

TEST_F(ConditionalDeletionsTest, DeleteFileExFlags) {
  const std::u16string missing = dir / u"missing.txt", no_folder = dir / u"no\\such\\file.txt";
  const std::u16string locked = dir / u"locked.txt";
  MakeFile(locked, 10);
  UniqueHandle lock = Lock(locked);
  ASSERT_TRUE(lock.valid());

  struct Case {
    const char* name;
    std::u16string path;
    DWORD attributes;  // given to a fresh file first; 0: leave the path as it is
    unsigned flags;
    bool result;
    DWORD error;      // the last error afterwards (not looked at for ERROR_SUCCESS)
    bool file_stays;  // only looked at for files the case made
  };
  const Case kCases[] = {
      {"missing", missing, 0, 0, false, ERROR_FILE_NOT_FOUND, false},
      {"missing counts as done", missing, 0, kDeleteMissingIsSuccess, true, ERROR_SUCCESS, false},
      {"no folder counts as done", no_folder, 0, kDeleteMissingIsSuccess, true, ERROR_SUCCESS, false},
      {"missing is no restart case", missing, 0, kDeleteRestartOnFailure, false, ERROR_FILE_NOT_FOUND, false},
      {"read-only", dir / u"ro1.txt", FILE_ATTRIBUTE_READONLY, 0, true, ERROR_SUCCESS, false},
      {"read-only kept", dir / u"ro2.txt", FILE_ATTRIBUTE_READONLY, kDeleteKeepAttributes, false,
       ERROR_ACCESS_DENIED, true},
      {"at restart", dir / u"later.txt", FILE_ATTRIBUTE_NORMAL, kDeleteAtRestart, true,
       ERROR_SUCCESS_REBOOT_REQUIRED, true},
      {"locked", locked, 0, 0, false, ERROR_SHARING_VIOLATION, true},
      {"locked, restart on failure", locked, 0, kDeleteRestartOnFailure, true, ERROR_SUCCESS_REBOOT_REQUIRED, true},
      {"empty", u"", 0, 0, false, ERROR_INVALID_NAME, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    if (c.attributes) {
      MakeFile(c.path, 10);
      ASSERT_TRUE(SetFileAttributesW(W(c.path), c.attributes));
    }
    SetLastError(0xDEAD);
    EXPECT_EQ(DeleteFileEx(c.path, c.flags), c.result);
    // A plain success leaves the last error as it was; everything else sets it.
    if (c.error != ERROR_SUCCESS) {
      EXPECT_EQ(GetLastError(), c.error);
    }
    if (c.attributes || c.path == locked) {
      EXPECT_EQ(Exists(c.path), c.file_stays);
    }
    if (c.error == ERROR_SUCCESS_REBOOT_REQUIRED) {
      EXPECT_TRUE(pending.DeletionPending(c.path));
    }
  }
  SetFileAttributesW(W(dir / u"ro2.txt"), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace ks
