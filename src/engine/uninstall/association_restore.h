// File associations at uninstall: the default values the installation replaced
// come back from their "<product> Backup" values, what it added goes.
#pragma once
#include <windows.h>

#include <string>

#include "portable/uninstall_data.h"

namespace ks {

// Undoes one association below HKEY_CLASSES_ROOT in `view`.
void RestoreAssociation(const FileAssociation& record, const std::u16string& backup_name, REGSAM view);

}  // namespace ks
