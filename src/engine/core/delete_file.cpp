// DeleteFileEx and the registration of a deletion at restart.
#include "core/delete_file.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/restart_move.h"
#include "core/wide.h"

namespace ks {
namespace {

// FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI.
constexpr FILEOP_FLAGS kRecycleFlags = 0x454;

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

bool DeleteAtRestart(std::u16string_view path) {
  if (!MoveAtRestart(std::u16string(path), {})) return false;
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
