// The system's folder browser as the folder and start-menu pages use it.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace ks {

enum class BrowseRoot { kDesktop = 0, kComputer = 1, kPrograms = 2, kCommonPrograms = 3 };

// The chosen folder, or nothing when the user cancelled. `relative`: the
// starting folder and the result are relative to the root's path.
std::optional<std::u16string> BrowseForFolder(HWND owner, BrowseRoot root, bool file_system_only, bool relative,
                                              const std::u16string& prompt, const std::u16string& start);

}  // namespace ks
