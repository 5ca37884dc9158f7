// The machine-wide PATH entry: adds or removes a folder in the system
// environment's "Path" value and tells running programs that it changed.
#pragma once
#include <windows.h>

#include <string_view>

namespace ks {

// Where the system keeps the machine-wide environment (below HKLM).
inline constexpr char16_t kEnvironmentKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

enum class PathEdit {
  kChanged,        // "Path" written back and the change broadcast
  kUnchanged,      // already as asked
  kNoPath,         // key not opened, or "Path" missing or empty: nothing done
  kFolderMissing,  // adding a folder that does not exist
  kWriteFailed,    // the last error says why
};

// Adds (`add`) or removes `folder` as a whole entry of "Path". The value is
// read whole whatever its length and written back with the type it had
// (REG_EXPAND_SZ or REG_SZ); a change is broadcast as WM_SETTINGCHANGE
// "Environment" so that new processes of running shells see it.
[[nodiscard]] PathEdit EditPath(bool add, std::u16string_view folder);

}  // namespace ks
