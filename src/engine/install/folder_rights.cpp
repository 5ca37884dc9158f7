// GrantFolderRights.
#include "install/folder_rights.h"

#include <windows.h>
#include <aclapi.h>

#include <string>

#include "core/file_access.h"
#include "core/wide.h"

namespace ks {

unsigned long GrantFolderRights(std::u16string_view folder) {
  std::u16string path(folder);
  DWORD attributes = GetFileAttributesW(W(path));
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_PATH_NOT_FOUND;
  return GrantEveryoneAccess(path, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
}

}  // namespace ks
