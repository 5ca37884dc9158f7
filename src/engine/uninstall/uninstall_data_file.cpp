// Writing and reading Uninstall.DAT through the file object.
#include "uninstall/uninstall_data_file.h"

#include <string>

#include "core/file.h"
#include "core/wide.h"

namespace ks {
namespace {

constexpr char16_t kPendingSuffix[] = u".new";

DWORD LastErrorOr(DWORD fallback) {
  DWORD error = GetLastError();
  return error ? error : fallback;
}

}  // namespace

bool WriteUninstallData(std::u16string_view path_view, const UninstallData& data) {
  std::u16string path(path_view);
  std::string text = ComposeUninstallData(data);

  // The new text goes to a file beside the old one first: a disk that fills
  // up halfway must not cost the uninstaller the list it still has. A fixed
  // name, so that a run that died halfway leaves nothing that piles up.
  const std::u16string temporary = path + kPendingSuffix;
  File file;
  if (file.Open(temporary, kOpenCreateAlways | kOpenNoRead) != FileError::kOk) return false;
  bool written = file.Write(text.data(), int(text.size()));
  DWORD error = written ? ERROR_SUCCESS : LastErrorOr(ERROR_WRITE_FAULT);
  file.Close();
  if (written && MoveFileExW(W(temporary), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  if (written) error = GetLastError();
  DeleteFileW(W(temporary));
  SetLastError(error);
  return false;
}

DWORD LoadUninstallData(std::u16string_view path, UninstallData& data) {
  File file;
  SetLastError(ERROR_SUCCESS);
  if (file.Open(path, kOpenExisting | kOpenNoWrite | kOpenShareRead) != FileError::kOk) return LastErrorOr(ERROR_OPEN_FAILED);
  int64_t size = file.Size();
  if (size < 0) return LastErrorOr(ERROR_READ_FAULT);
  if (size > 0x7FFFFFFF) return ERROR_FILE_TOO_LARGE;
  std::string text(size_t(size), '\0');
  SetLastError(ERROR_SUCCESS);
  if (!file.ReadExact(text.data(), int(size))) return LastErrorOr(ERROR_READ_FAULT);
  ParseUninstallData(text, data);
  return ERROR_SUCCESS;
}

}  // namespace ks
