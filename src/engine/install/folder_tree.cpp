// Folder trees for the install operations.
#include "install/folder_tree.h"

#include <vector>

#include "core/file_access.h"
#include "core/system_error.h"
#include "core/wide.h"

namespace ks {
namespace {

std::u16string WithoutTrailingBackslash(std::u16string_view path) {
  std::u16string out(path);
  // Keep the backslash of a drive root ("C:\"): without it the path means the
  // drive's current folder.
  while (out.size() > 3 && out.back() == u'\\') out.pop_back();
  return out;
}

// A root ("C:\", "\\server\share") cannot be created and need not be.
bool IsRoot(std::u16string_view path) {
  if (path.size() <= 3) return true;
  if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
    size_t server_end = path.find(u'\\', 2);
    return server_end == std::u16string_view::npos || path.find(u'\\', server_end + 1) == std::u16string_view::npos;
  }
  return false;
}

}  // namespace

std::u16string ParentFolder(std::u16string_view path) {
  size_t slash = path.rfind(u'\\');
  if (slash == std::u16string_view::npos) return {};
  // "C:\file" has the root "C:\" as its folder.
  if (slash == 2 && path.size() > 1 && path[1] == u':') return std::u16string(path.substr(0, 3));
  return std::u16string(path.substr(0, slash));
}

bool CreateFolderTree(std::u16string_view folder_in) {
  std::u16string folder = WithoutTrailingBackslash(folder_in);
  if (folder.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  // Walk up to the first folder that exists, then create downwards.
  std::vector<std::u16string> missing;
  for (std::u16string current = folder; !IsRoot(current) && !FolderExists(current); current = ParentFolder(current)) {
    missing.push_back(current);
    if (ParentFolder(current).empty()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (CreateDirectoryW(W(*it), nullptr)) continue;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && FolderExists(*it)) continue;  // made by someone else meanwhile
    SetLastError(error);
    return false;
  }
  return true;
}

std::u16string FolderFailureReason(std::u16string_view folder, DWORD error) {
  std::u16string current = WithoutTrailingBackslash(folder);
  for (; !current.empty() && !IsRoot(current); current = ParentFolder(current)) {
    DWORD a = GetFileAttributesW(W(current));
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY))
      return u"Cannot create directory because there is a file with the same name.";
  }
  return SystemErrorText(error);
}

}  // namespace ks
