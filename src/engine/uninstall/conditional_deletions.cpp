// ApplyConditionalDeletions: listing, testing and deleting the files of the
// DeleteList records.
#include "uninstall/conditional_deletions.h"

#include <windows.h>

#include "core/file.h"
#include "core/file_access.h"
#include "core/handle.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "portable/conditional_deletion.h"
#include "portable/path_rules.h"
#include "portable/text_format.h"
#include "core/delete_file.h"

namespace ks {
namespace {

constexpr int kCorruptBadDate = 65;

struct MatchedFile {
  std::u16string path;
  DeletionCandidate facts;
};

DateTimeParts LocalTime(const FILETIME& utc_time) {
  SYSTEMTIME utc{}, local{};
  FileTimeToSystemTime(&utc_time, &utc);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

// The files (not folders) that `pattern` names; wildcards in its last part.
std::vector<MatchedFile> MatchingFiles(const std::u16string& pattern) {
  std::vector<MatchedFile> files;
  size_t slash = pattern.find_last_of(u"\\/");
  std::u16string folder = slash == std::u16string::npos ? std::u16string() : pattern.substr(0, slash + 1);
  WIN32_FIND_DATAW found;
  UniqueFind find(FindFirstFileW(W(pattern), &found));
  if (!find) return files;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    MatchedFile file;
    file.path = folder + U16(found.cFileName);
    file.facts.size = (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    file.facts.last_write = LocalTime(found.ftLastWriteTime);
    files.push_back(std::move(file));
  } while (FindNextFileW(find.get(), &found));
  return files;
}

}  // namespace

ConditionalDeletionOutcome ApplyConditionalDeletions(bool during_install, std::vector<FileDeletion>& records,
                                                     std::u16string_view install_folder,
                                                     const VariableExpander& expand,
                                                     const DeletionReports& reports) {
  ConditionalDeletionOutcome outcome;
  const unsigned phase = during_install ? kConditionalDuringInstall : kConditionalDuringUninstall;
  auto log = [&](std::u16string_view line) {
    if (during_install && reports.log) reports.log(line);
  };
  auto fail = [&](std::u16string_view line) {
    if (during_install && reports.failure) reports.failure(line);
  };
  int handled_total = 0;

  for (auto record = records.begin(); record != records.end();) {
    if (!(record->flags & phase) || record->path.empty()) {
      ++record;
      continue;
    }
    std::u16string pattern = PathFrom8Bit(record->path);
    if (expand) pattern = expand(std::move(pattern));
    ResolvePath(pattern, install_folder);
    // Without an install folder a relative pattern would name files in
    // whatever the current folder happens to be.
    if (!IsAbsolutePath(std::u16string_view(pattern))) {
      ++record;
      continue;
    }

    int handled = 0, failed = 0;
    for (const MatchedFile& file : MatchingFiles(pattern)) {
      DeletionTest test = TestDeletion(record->kind, record->value, file.facts);
      if (test == DeletionTest::kBadDate) {
        outcome.corrupt_code = kCorruptBadDate;
        return outcome;
      }
      if (test == DeletionTest::kKeep) continue;
      ++handled;
      ClearProtectiveAttributes(file.path);

      const bool at_restart = record->flags & kConditionalAtRestart;
      DWORD error = ERROR_SUCCESS;
      if (!at_restart) {
        if (DeleteFileEx(file.path, kDeleteKeepAttributes)) {
          log(FormatText(u"Deleted file: %s\r\n", {file.path}));
          continue;
        }
        error = GetLastError();
      }

      if (at_restart || (record->flags & kConditionalRestartOnFailure)) {
        std::u16string error_text = SystemErrorText(error);
        if (at_restart)
          log(FormatText(u"File \"%s\" will be deleted after rebooting%s%s\r\n", {file.path, u"", u"."}));
        else
          log(FormatText(u"File \"%s\" will be deleted after rebooting%s%s\r\n", {file.path, u": ", error_text}));
        if (DeleteFileEx(file.path, kDeleteAtRestart | kDeleteKeepAttributes)) {
          outcome.restart_needed = true;
        } else {
          ++failed;
          fail(FormatText(u"Failed to register \"%s\" for deletion: %s\r\n", {file.path, SystemErrorText(GetLastError())}));
        }
        continue;
      }

      ++failed;
      log(FormatText(u"Failed to delete file \"%s\": %s\r\n", {file.path, SystemErrorText(error)}));
    }
    handled_total += handled;

    // A record with a file still in place stays for the next uninstall run.
    if (!during_install && handled > 0 && failed == 0) record = records.erase(record);
    else ++record;
  }

  if (handled_total > 0) log(u"\r\n");
  return outcome;
}

}  // namespace ks
