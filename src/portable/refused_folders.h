// Which folders a whole-tree removal must refuse: drive roots in any
// spelling, and every protected folder together with every folder above one.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// A folder path in one spelling for comparison: "\\?\" and "\\.\" taken off
// ("\\?\UNC\" becomes "\\"), "/" read as "\", empty and "." components
// dropped, ".." taking the one before it (never the drive or share), no
// trailing backslash. "C:\", "C:\.", "\\?\C:\" and "c:/" all give "C:".
std::u16string NormalizedFolder(std::u16string_view path);

// True for a drive ("C:"), a share root ("\\server\share"), or nothing at
// all, once normalised.
bool IsDriveRoot(std::u16string_view path);

// True when removing `path` with everything in it could take a protected
// folder: it is a drive root, or it equals or contains (ignoring case) one
// of `protected_folders`. Both sides are normalised here.
bool IsRefusedFolder(std::u16string_view path, const std::vector<std::u16string>& protected_folders);

}  // namespace ks
