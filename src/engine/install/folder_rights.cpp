// GrantFolderRights.
#include "install/folder_rights.h"

#include <windows.h>
#include <aclapi.h>

#include <string>

#include "core/file_access.h"
#include "core/wide.h"

namespace ks {

unsigned long GrantFolderRights(std::u16string_view folder) {
  if (!FolderExists(folder)) return ERROR_PATH_NOT_FOUND;
  return GrantEveryoneAccess(std::u16string(folder), SUB_CONTAINERS_AND_OBJECTS_INHERIT);
}

}  // namespace ks
