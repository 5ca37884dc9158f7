// Moving or deleting a file at the next restart: the system's delayed move,
// else (when "wininit.exe" exists in the Windows folder) wininit.ini's [rename].
#pragma once
#include <windows.h>

#include <string>

namespace ks {

// Moves `source` over `destination` at the next restart; an empty destination
// deletes `source` ("NUL" in wininit.ini). On success the last error is 170.
bool MoveAtRestart(const std::u16string& source, const std::u16string& destination,
                   const std::u16string& windows_folder = {});

// wininit.ini's "[rename]" line for the move, with short names. The result is
// that of writing the file.
bool AddWininitRename(const std::u16string& source, const std::u16string& destination,
                      const std::u16string& windows_folder);

}  // namespace ks
