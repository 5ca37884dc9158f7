// The write routine of the payload phase.
#include "install/file_writer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/file.h"
#include "core/file_access.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/files_in_use.h"
#include "install/folder_tree.h"
#include "portable/file_errors.h"
#include "portable/text.h"

namespace ks {
namespace {

FILETIME ToFileTime(uint64_t value) {
  FILETIME ft;
  ft.dwLowDateTime = DWORD(value);
  ft.dwHighDateTime = DWORD(value >> 32);
  return ft;
}

// One attempt: create or truncate, write everything, set the times while the
// handle is open (saves reopening every file). False with the system's error.
bool WriteAttempt(const FileWrite& w, DWORD& error) {
  File file;
  if (file.Open(w.destination, kOpenCreateAlways | kOpenNoRead | kOpenNoSharingRetry) != FileError::kOk) {
    error = GetLastError();
    return false;
  }
  for (int64_t done = 0; done < w.size;) {
    int piece = int(std::min<int64_t>(w.size - done, kFileWritePiece));
    SetLastError(ERROR_SUCCESS);
    if (!file.Write(w.data + done, piece)) {
      error = GetLastError();
      if (error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;  // a short write
      return false;
    }
    done += piece;
  }
  if (w.times.IsSet()) ApplyFileTimes(file.Handle(), w.times);
  return true;
}

// Reads the file back; false with `error` 0 when the bytes differ.
bool ContentMatches(const FileWrite& w, DWORD& error) {
  error = 0;
  File file;
  if (file.Open(w.destination, kOpenExisting | kOpenNoWrite | kOpenShareRead) != FileError::kOk) {
    error = GetLastError();
    return false;
  }
  if (file.Size() != w.size) return false;
  std::vector<uint8_t> buffer(size_t(std::min<int64_t>(w.size, kFileWritePiece)));
  for (int64_t done = 0; done < w.size;) {
    int piece = int(std::min<int64_t>(w.size - done, kFileWritePiece));
    if (!file.ReadExact(buffer.data(), piece)) {
      error = GetLastError();
      return false;
    }
    if (memcmp(buffer.data(), w.data + done, size_t(piece)) != 0) return false;
    done += piece;
  }
  return true;
}

void ApplyAttributes(const std::u16string& path, uint32_t wanted) {
  DWORD current = GetFileAttributesW(W(path));
  if (current == INVALID_FILE_ATTRIBUTES) return;
  DWORD next = (wanted & kRecordAttributeMask) | (current & ~kRecordAttributeMask);
  if (next != current) SetFileAttributesW(W(path), next);
}

}  // namespace

bool ApplyFileTimes(HANDLE file, const FileTimes& times) {
  FILETIME creation = ToFileTime(times.creation);
  FILETIME last_write = ToFileTime(times.last_write);
  return SetFileTime(file, times.creation ? &creation : nullptr, nullptr,
                     times.last_write ? &last_write : nullptr) != FALSE;
}

int WriteOneFile(const FileWrite& w, InstallContext& context, InstallSink& sink, FileWriteResult& result) {
  result = {};
  if (w.size < 0) return kErrNegativeWriteSize;

  DWORD error = ERROR_SUCCESS;
  bool check_failed = false;
  bool written = false;
  for (int attempt = 1; attempt <= kWriteAttempts && !written; ++attempt) {
    check_failed = false;
    if (WriteAttempt(w, error)) {
      if (!(context.OptionFlags & kOptVerifyFiles) || ContentMatches(w, error)) {
        written = true;
        break;
      }
      check_failed = true;
      continue;  // a failed comparison is retried at once
    }
    if (attempt == 1) {
      if (error == ERROR_PATH_NOT_FOUND) CreateFolderTree(ParentFolder(w.destination));
      if (context.OptionFlags & kOptClearAttributes) ClearProtectiveAttributes(w.destination);
    }
    if (attempt < kWriteAttempts) Sleep(kWriteRetryDelayMs);
  }

  if (!written) {
    if (check_failed) {
      std::u16string reason = error ? SystemErrorText(error) : Widen(FileErrorText(FileError::kCorrupt));
      std::u16string text = sink.Text(kMsgFileNotWritten) + u" " + w.destination + u"\r\n" + reason + u"\r\n\r\n";
      sink.AddFailure(SystemCodePage().FromWide(text, '?'));
      return 0;
    }
    result.registered = RegisterForReplacement(w, error, context, sink);
    return 0;
  }

  if (w.attributes != kKeepAttributes) ApplyAttributes(w.destination, w.attributes);
  result.written = true;
  return 0;
}

}  // namespace ks
