// Closing the windows of programs that must not run while the product is
// installed, as the settings' close list names them.
#pragma once

namespace ks {

struct InstallRun;

// Handles the entries marked for installation, then keeps those marked for
// uninstallation in the run (they travel to the uninstaller).
void ClosePrograms(InstallRun& run);

}  // namespace ks
