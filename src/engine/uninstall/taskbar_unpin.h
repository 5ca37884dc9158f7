// Taking the product's taskbar pins off before their shortcut files go, so
// that the taskbar keeps no dead button.
#pragma once
#include <vector>

#include "portable/uninstall_data.h"

namespace ks {

// Runs the shell's "taskbarunpin" verb on every main-section item below a
// "User Pinned" folder. A system without the verb (or a pin already gone)
// changes nothing: the main section deletes the file either way.
void UnpinTaskbarItems(const std::vector<Text8>& items);

}  // namespace ks
