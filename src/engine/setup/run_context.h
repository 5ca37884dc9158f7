// The install operations' context for this run: folders, flags and the
// payload's cipher, as the payload phase and the uninstaller's write use them.
#pragma once
#include "install/install_context.h"
#include "setup/install_run.h"

namespace ks {

InstallContext RunInstallContext(InstallRun& run);

}  // namespace ks
