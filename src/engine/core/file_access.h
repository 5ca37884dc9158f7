// Small file-system helpers the install and uninstall operations share: the
// full form of a path, clearing protective attributes, opening a file's rights.
#pragma once
#include <string>
#include <string_view>

namespace ks {

// Whether anything exists at `path`, and whether it is a folder.
bool PathExists(std::u16string_view path);
bool FolderExists(std::u16string_view path);

// GetFullPathNameW's answer; `path` itself when the system gives none.
std::u16string FullPath(const std::u16string& path);

// Clears read-only, hidden and system on `path`, keeping its other bits.
void ClearProtectiveAttributes(const std::u16string& path);

// Adds full access (GENERIC_ALL) for Everyone to the file's or folder's rights,
// inherited as `inheritance` says (an EXPLICIT_ACCESS inheritance value, e.g.
// SUB_CONTAINERS_AND_OBJECTS_INHERIT). 0 or the Win32 error.
unsigned long GrantEveryoneAccess(const std::u16string& path, unsigned long inheritance);

// GrantEveryoneAccess on the object alone; quietly does nothing on failure.
void GrantEveryoneFullAccess(const std::u16string& path);

// Writes `bytes` as the whole of `path` (created or emptied first). False with
// the system error as the last error; a partly written file is removed.
bool WriteWholeFile(const std::u16string& path, std::string_view bytes);

}  // namespace ks
