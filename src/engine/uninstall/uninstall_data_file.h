// Uninstall.DAT on disk: writing the record set in one piece, reading it back.
// The text itself is composed and parsed by portable/uninstall_data.
#pragma once
#include <windows.h>

#include <string_view>

#include "portable/uninstall_data.h"

namespace ks {

// Writes the whole file, replacing an old one only once the new text is
// complete on disk. False with the system's error as last error.
bool WriteUninstallData(std::u16string_view path, const UninstallData& data);

// Reads the whole file into `data`; 0 or the system error code of the read.
DWORD LoadUninstallData(std::u16string_view path, UninstallData& data);

}  // namespace ks
