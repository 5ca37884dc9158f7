// Writes the uninstall key's values (portable/uninstall_key.h) into an open
// key: sub-keys created on the way, empty ones removed instead of written.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/registry_key.h"
#include "portable/uninstall_key.h"

namespace ks {

// Called for each value that could not be written, with the system error.
using ValueFailure = std::function<void(const std::u16string& name, DWORD error)>;

// Writes `values` in order below `key`; sub-keys open with the view bits of
// `view`. Stops at a value of unknown type and returns false; the values
// before it are written.
bool WriteKeyValues(RegistryKey& key, const std::vector<UninstallKeyValue>& values, unsigned view,
                    const ValueFailure& failed);

}  // namespace ks
