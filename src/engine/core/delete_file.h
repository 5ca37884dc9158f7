// Deleting one file: now, through the Recycle Bin, or at the next restart of
// Windows (delayed move, or wininit.ini where the system still reads it).
#pragma once
#include <string_view>

namespace ks {

// DeleteFileEx flags.
enum : unsigned {
  kDeleteKeepAttributes = 0x001,     // otherwise the attributes are set to normal first
  kDeleteAtRestart = 0x002,          // only register the deletion for the next restart
  kDeleteRestartOnFailure = 0x010,   // deleting now failed (not "not found"): delete at restart
  kDeleteToRecycleBin = 0x080,
  kDeleteMissingIsSuccess = 0x800,   // file-not-found and path-not-found count as success
};

// True on success; on failure the system's error stays the last error. With
// kDeleteAtRestart (also when kDeleteRestartOnFailure took that path) a
// success leaves ERROR_SUCCESS_REBOOT_REQUIRED as the last error, so that a
// caller can tell a deletion that waits for the restart.
bool DeleteFileEx(std::u16string_view path, unsigned flags);

// Registers `path` for deletion at the next restart: the delayed move of the
// system, or, when that fails and the Windows folder holds "wininit.exe", a
// "NUL=" line in wininit.ini.
bool DeleteAtRestart(std::u16string_view path);

}  // namespace ks
