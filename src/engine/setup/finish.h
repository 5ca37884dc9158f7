// The installation's last phase: the product's informational files, the
// uninstaller and its registration, Uninstall.DAT, the closing batches, the
// log's end, the restart and what the user chose to start.
#pragma once
#include "setup/install_run.h"

namespace ks {

void FinishInstallation(InstallRun& run);

}  // namespace ks
