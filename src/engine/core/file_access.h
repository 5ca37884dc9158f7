// Small file-system helpers the install and uninstall operations share: the
// full form of a path, clearing protective attributes, opening a file's rights.
#pragma once
#include <string>

namespace ks {

// GetFullPathNameW's answer; `path` itself when the system gives none.
std::u16string FullPath(const std::u16string& path);

// Clears read-only, hidden and system on `path`, keeping its other bits.
void ClearProtectiveAttributes(const std::u16string& path);

// Adds full access for Everyone to the file's or folder's own rights; quietly
// does nothing when the rights cannot be read or written.
void GrantEveryoneFullAccess(const std::u16string& path);

}  // namespace ks
