// The write routine of the payload phase.
#include "install/file_writer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "core/file.h"
#include "core/file_access.h"
#include "core/handle.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/files_in_use.h"
#include "install/folder_tree.h"
#include "portable/file_errors.h"
#include "portable/path_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

FILETIME ToFileTime(uint64_t value) {
  FILETIME ft;
  ft.dwLowDateTime = DWORD(value);
  ft.dwHighDateTime = DWORD(value >> 32);
  return ft;
}

// A new name in `folder` ("OQT" and four hex digits, as the system's
// temporary names): the content waits there until it is whole.
std::u16string StagingName(const std::u16string& folder) {
  static unsigned counter = 0;
  unsigned unique = (GetCurrentProcessId() * 40503u + ++counter) & 0xFFFFu;
  char16_t name[] = u"OQT0000.tmp";
  for (int i = 0; i < 4; ++i) name[3 + i] = u"0123456789ABCDEF"[(unique >> (12 - 4 * i)) & 0xF];
  return JoinPath(folder, name);
}

// Reads `path` back against the content, read again from its start; false
// with `error` 0 when the bytes differ. A damaged content sets `fatal`.
bool ContentMatches(const std::u16string& path, ContentStream& content, DWORD& error, int& fatal) {
  error = 0;
  File file;
  if (file.Open(path, kOpenExisting | kOpenNoWrite | kOpenShareRead) != FileError::kOk) {
    error = GetLastError();
    return false;
  }
  if (file.Size() != content.Size()) return false;
  if ((fatal = content.Rewind())) return false;
  std::vector<uint8_t> buffer;
  for (std::span<const uint8_t> piece;;) {
    if ((fatal = content.Read(piece))) return false;
    if (piece.empty()) return true;
    buffer.resize(piece.size());
    if (!file.ReadExact(buffer.data(), int(piece.size()))) {
      error = GetLastError();
      return false;
    }
    if (memcmp(buffer.data(), piece.data(), piece.size()) != 0) return false;
  }
}

enum class Attempt { kWritten, kFailed, kCheckFailed, kDamaged };

// Renames the open file onto `destination`, replacing what is there. Through
// the handle it costs one system call where MoveFileExW opens the file again.
bool RenameOpenFile(HANDLE file, const std::u16string& destination) {
  const size_t bytes = offsetof(FILE_RENAME_INFO, FileName) + (destination.size() + 1) * sizeof(WCHAR);
  std::vector<uint8_t> buffer(bytes, 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = DWORD(destination.size() * sizeof(WCHAR));
  memcpy(info->FileName, destination.data(), destination.size() * sizeof(WCHAR));
  return SetFileInformationByHandle(file, FileRenameInfo, info, DWORD(bytes)) != FALSE;
}

// Marks the open file for deletion when its last handle closes, or clears
// the mark. The system deletes it also when the process is killed.
bool SetDeleteOnClose(HANDLE file, bool delete_file) {
  FILE_DISPOSITION_INFO info{};
  info.DeleteFile = delete_file ? TRUE : FALSE;
  return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info) != FALSE;
}

// One attempt. A new file is created under its name marked for deletion and
// keeps it only once every byte and its times are written. An earlier file
// stays whole until the new content is: that goes to a new file in the
// folder's staging folder (or beside it) first, which then takes the name. A run that dies or a disk that fills up
// halfway leaves the earlier file (or none) under the name, never a
// truncated one, and the partial copy is deleted. The content is read as it is
// written and takes the name only once its checksum has been checked; a
// damaged content (kDamaged, `fatal` set) leaves nothing behind.
Attempt WriteAttempt(const FileWrite& w, ContentStream& content, bool verify, DWORD& error, int& fatal) {
  std::u16string path = w.destination;
  UniqueHandle file(CreateFileW(W(path), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  bool staged = !file.valid();
  if (file.valid() && !SetDeleteOnClose(file.get(), true)) {
    // Without the mark the name is not safe to write under.
    file.reset();
    DeleteFileW(W(path));
    staged = true;
  } else if (!file.valid()) {
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return Attempt::kFailed;
  }
  if (staged) {
    std::u16string folder = ParentFolder(w.destination);
    if (w.staging) {
      if (std::u16string staging = w.staging->For(folder); !staging.empty()) folder = std::move(staging);
    }
    for (int tries = 0; tries < kStagingNameTries && !file.valid(); ++tries) {
      path = StagingName(folder);
      file.reset(CreateFileW(W(path), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file.valid()) break;
      error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return Attempt::kFailed;
    }
    if (!file.valid()) return Attempt::kFailed;
  }

  auto discard = [&](DWORD reason) {
    file.reset();  // a marked file goes with its handle
    if (staged) DeleteFileW(W(path));
    error = reason;
  };
  if ((fatal = content.Rewind())) {
    discard(error);
    return Attempt::kDamaged;
  }
  for (std::span<const uint8_t> piece;;) {
    if ((fatal = content.Read(piece))) {
      discard(error);
      return Attempt::kDamaged;
    }
    if (piece.empty()) break;
    for (size_t done = 0; done < piece.size();) {
      DWORD part = DWORD(std::min<size_t>(piece.size() - done, kFileWritePiece));
      DWORD written = 0;
      if (!WriteFile(file.get(), piece.data() + done, part, &written, nullptr) || written != part) {
        DWORD reason = GetLastError();
        discard(reason == ERROR_SUCCESS ? DWORD(ERROR_WRITE_FAULT) : reason);  // a short write
        return Attempt::kFailed;
      }
      done += part;
    }
  }
  if (w.times.IsSet()) ApplyFileTimes(file.get(), w.times);

  if (!staged) {
    if (!SetDeleteOnClose(file.get(), false)) {
      discard(GetLastError());
      return Attempt::kFailed;
    }
    file.reset();
    if (verify && !ContentMatches(path, content, error, fatal)) {
      DeleteFileW(W(path));
      return fatal ? Attempt::kDamaged : Attempt::kCheckFailed;
    }
    return Attempt::kWritten;
  }
  if (verify) {
    file.reset();
    if (!ContentMatches(path, content, error, fatal)) {
      discard(error);
      return fatal ? Attempt::kDamaged : Attempt::kCheckFailed;
    }
    if (!MoveFileExW(W(path), W(w.destination), MOVEFILE_REPLACE_EXISTING)) {
      discard(GetLastError());
      return Attempt::kFailed;
    }
    return Attempt::kWritten;
  }
  if (!RenameOpenFile(file.get(), w.destination)) {
    discard(GetLastError());
    return Attempt::kFailed;
  }
  return Attempt::kWritten;
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
  if (!w.content && w.size < 0) return kErrNegativeWriteSize;
  MemoryContent memory(w.data, w.size, kFileWritePiece);
  ContentStream& content = w.content ? *w.content : memory;

  DWORD error = ERROR_SUCCESS;
  int fatal = 0;
  bool check_failed = false;
  bool written = false;
  const bool verify = context.OptionFlags & kOptVerifyFiles;
  for (int attempt = 1; attempt <= kWriteAttempts && !written; ++attempt) {
    Attempt outcome = WriteAttempt(w, content, verify, error, fatal);
    if (outcome == Attempt::kDamaged) return fatal;
    check_failed = outcome == Attempt::kCheckFailed;
    if (outcome == Attempt::kWritten) {
      written = true;
      break;
    }
    if (check_failed) continue;  // a failed comparison is retried at once
    if (attempt == 1) {
      if (error == ERROR_PATH_NOT_FOUND) CreateFolderTree(ParentFolder(w.destination));
      if (context.OptionFlags & kOptClearAttributes) ClearProtectiveAttributes(w.destination);
    }
    if (attempt < kWriteAttempts) Sleep(kWriteRetryDelayMs);
  }

  if (!written) {
    // Nothing damaged may wait for the restart either: the rest of the
    // content is checked first.
    if (int damaged = ReadToEnd(content)) return damaged;
    if (check_failed) {
      std::u16string reason = error ? SystemErrorText(error) : Widen(FileErrorText(FileError::kCorrupt));
      std::u16string text = sink.Text(kMsgFileNotWritten) + u" " + w.destination + u"\r\n" + reason + u"\r\n\r\n";
      sink.AddFailure(SystemCodePage().FromWide(text, '?'));
      return 0;
    }
    result.registered = RegisterForReplacement(w, content, error, context, sink);
    return 0;
  }

  if (w.attributes != kKeepAttributes) ApplyAttributes(w.destination, w.attributes);
  result.written = true;
  return 0;
}

}  // namespace ks
