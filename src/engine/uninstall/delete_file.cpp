// DeleteFileEx and the registration of a deletion at restart.
#include "uninstall/delete_file.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/file.h"
#include "core/wide.h"
#include "portable/text.h"
#include "portable/pending_renames.h"

namespace ks {
namespace {

// FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI.
constexpr FILEOP_FLAGS kRecycleFlags = 0x454;

std::u16string WindowsFolder() {
  wchar_t buffer[MAX_PATH + 1];
  UINT n = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  return (n == 0 || n > MAX_PATH) ? std::u16string() : U16(buffer, n);
}

std::u16string ShortPath(const std::u16string& path) {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetShortPathNameW(W(path), buffer, MAX_PATH + 1);
  return (n == 0 || n > MAX_PATH) ? path : U16(buffer, n);
}

bool ReadWhole(const std::u16string& path, std::string* text) {
  File file;
  if (file.Open(path, kOpenExisting | kOpenNoWrite | kOpenShareRead) != 0) return false;
  int64_t size = file.Size();
  if (size < 0 || size > 0x7FFFFFFF) return false;
  text->resize(size_t(size));
  return file.ReadExact(text->data(), int(size));
}

// Windows 95 to ME read "[rename]" of wininit.ini at start-up; an NT system
// that still ships wininit.exe does as well.
bool DeleteAtRestartByWininit(const std::u16string& path, const std::u16string& windows) {
  std::u16string ini = windows + u"\\wininit.ini";
  std::string text;
  if (GetFileAttributesW(W(ini)) != INVALID_FILE_ATTRIBUTES && !ReadWhole(ini, &text)) return false;
  text = InsertWininitRename(std::move(text), "NUL", SystemCodePage().FromWide(ShortPath(path)));
  File file;
  if (file.Open(ini, kOpenCreateAlways | kOpenNoRead) != 0) return false;
  return file.Write(text.data(), int(text.size()));
}

bool SendToRecycleBin(const std::u16string& path) {
  std::u16string from = path;
  from.push_back(u'\0');  // the list ends with an empty name
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = W(from);
  op.fFlags = kRecycleFlags;
  int result = SHFileOperationW(&op);
  if (result != 0) {
    SetLastError(DWORD(result));
    return false;
  }
  if (op.fAnyOperationsAborted) {
    SetLastError(ERROR_CANCELLED);
    return false;
  }
  return true;
}

bool IsNotFound(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

bool DeleteAtRestart(std::u16string_view path_view) {
  std::u16string path(path_view);
  if (MoveFileExW(W(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    SetLastError(ERROR_SUCCESS_REBOOT_REQUIRED);
    return true;
  }
  DWORD error = GetLastError();
  std::u16string windows = WindowsFolder();
  if (windows.empty() || GetFileAttributesW(W(windows + u"\\wininit.exe")) == INVALID_FILE_ATTRIBUTES) {
    SetLastError(error);
    return false;
  }
  if (!DeleteAtRestartByWininit(path, windows)) return false;
  SetLastError(ERROR_SUCCESS_REBOOT_REQUIRED);
  return true;
}

bool DeleteFileEx(std::u16string_view path_view, unsigned flags) {
  if (path_view.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  std::u16string path(path_view);
  if (!(flags & kDeleteKeepAttributes)) SetFileAttributesW(W(path), FILE_ATTRIBUTE_NORMAL);

  if (flags & kDeleteAtRestart) return DeleteAtRestart(path);
  if (flags & kDeleteToRecycleBin) return SendToRecycleBin(path);

  if (DeleteFileW(W(path))) return true;
  DWORD error = GetLastError();
  if (IsNotFound(error)) {
    if (flags & kDeleteMissingIsSuccess) {
      SetLastError(ERROR_SUCCESS);
      return true;
    }
  } else if (flags & kDeleteRestartOnFailure) {
    return DeleteAtRestart(path);
  }
  SetLastError(error);
  return false;
}

}  // namespace ks
