// The background notification after an installation: the address for the
// kind of installation, requested once the product is registered.
#pragma once
#include "setup/install_run.h"

namespace ks {

// Sends nothing yet: the background request is still to come.
void SendInstallNotification(const InstallRun& run);

}  // namespace ks
