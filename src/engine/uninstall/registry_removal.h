// Registry removal for the uninstaller: whole keys with their sub-keys, and
// parent keys that the removal left empty, in a chosen registry view.
#pragma once
#include <windows.h>

#include <string_view>

namespace ks {

// Deletes root\subkey with everything below it; a missing key counts as
// deleted. `view` is 0, KEY_WOW64_64KEY or KEY_WOW64_32KEY.
bool DeleteKeyTree(HKEY root, std::u16string_view subkey, REGSAM view);

// Deletes root\subkey when it has neither values nor sub-keys.
bool DeleteKeyIfEmpty(HKEY root, std::u16string_view subkey, REGSAM view);

}  // namespace ks
