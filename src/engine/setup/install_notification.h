// The background notifications of an installation: the start address, and
// the address for the kind of installation once the product is registered.
#pragma once
#include "portable/settings.h"
#include "setup/install_run.h"

namespace ks {

// Lets notification requests authorise the engine in the firewall while they run.
void UseFirewallForNotifications();

// The address an installation of `install_type` ends with.
const TextW& InstallNotificationAddress(const Settings& settings, int install_type);

// The first phase of an installation: the start address.
void SendStartNotification(InstallRun& run);
void SendInstallNotification(const InstallRun& run);

}  // namespace ks
