// The shortcut phase: the uninstaller and log shortcuts, the shortcut list,
// the root shortcut on removable drives and the taskbar pin.
#pragma once

namespace ks {

struct InstallRun;

void CreateShortcuts(InstallRun& run);

}  // namespace ks
