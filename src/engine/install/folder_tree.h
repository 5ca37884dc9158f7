// Creating a folder together with every missing parent folder, and the reason
// text the installer reports when that fails.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace ks {

// True when the folder exists afterwards; false with the system's error as
// the last error (ERROR_ALREADY_EXISTS when a file holds one of the names).
bool CreateFolderTree(std::u16string_view folder);

// "Cannot create directory because there is a file with the same name." when
// a file stands where one of the folders should be, else the system's text.
std::u16string FolderFailureReason(std::u16string_view folder, DWORD error);

// The folder part of a path (without the final backslash); empty when none.
std::u16string ParentFolder(std::u16string_view path);

}  // namespace ks
