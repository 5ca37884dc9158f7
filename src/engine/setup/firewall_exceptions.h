// The installation phase that opens the settings' firewall ports and
// authorises their programs.
#pragma once

namespace ks {

struct InstallRun;

void AddFirewallExceptions(InstallRun& run);

}  // namespace ks
