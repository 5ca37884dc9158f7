// The uninstaller's side of the settings' registry entries: keys the
// installation made are deleted with their sub-keys, values marked for
// removal are deleted with the keys they leave empty, "\HKAU\" entries in
// every user's hive.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ks {

// Applies the [Registry2] lines (UTF-8) in `view` (0 or KEY_WOW64_64KEY).
void RemoveRegistryEntries(const std::vector<std::string>& lines, REGSAM view);

// Deletes the value `name` of root\subkey; a missing key or value counts as done.
void DeleteRegistryValue(HKEY root, const std::u16string& subkey, const std::u16string& name, REGSAM view);

}  // namespace ks
