// The background notification after an installation.
#include "setup/install_notification.h"

namespace ks {

void SendInstallNotification(const InstallRun&) {}

}  // namespace ks
