// The uninstaller program the finish writes: the bare engine with the
// uninstaller icon, or a copy of the installer (replaced at the restart when
// the old one is in use).
#pragma once

namespace ks {

struct InstallRun;

// Progress 99; with the uninstaller option, writes it into the uninstall folder.
void WriteUninstaller(InstallRun& run);

}  // namespace ks
