// Control-panel applets: the system's list of extra applets.
#pragma once
#include <string>

namespace ks {

// Sets the value `name` = `path` in the existing applet key. False (the
// reason as last error) when the key is missing or the value cannot be set.
bool RegisterApplet(const std::u16string& path, const std::u16string& name);

}  // namespace ks
