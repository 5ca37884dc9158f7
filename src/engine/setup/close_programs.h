// Closing the windows of programs that must not run while the product is
// installed, as the settings' close list names them.
#pragma once

namespace ks {

// Handles the entries marked for installation, then keeps only those marked
// for uninstallation (they travel to the uninstaller).
void ClosePrograms();

}  // namespace ks
