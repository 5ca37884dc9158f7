// The Windows Firewall through its COM objects: open ports and authorised
// programs in the current profile, added and removed. The manager and its
// local policy stay for the life of the process once obtained.
#pragma once
#include <string_view>

namespace ks {

// Operation results.
enum FirewallResult : int {
  kFirewallDone = 0,  // also when the port or program was already there
  kFirewallNotConnected = 1,
  kFirewallNoManager = 2,
  kFirewallNoPolicy = 3,
  kFirewallNoProfile = 4,
  kFirewallMissingArgument = 7,
  kFirewallNoOpenPorts = 8,
  kFirewallNoPortObject = 10,
  kFirewallPathNotSet = 11,
  kFirewallNameNotSet = 12,
  kFirewallChangeFailed = 13,  // adding (or removing) failed
  kFirewallNoApplications = 15,
  kFirewallNoProgramObject = 18,
  kFirewallPortNotSet = 19,
  kFirewallProtocolNotSet = 20,
  kFirewallCrashed = 27,
};

// Creates the manager (once) and takes the current profile.
int FirewallConnect();
// protocol: kProtocolTcp or kProtocolUdp.
int FirewallOpenPort(long port, long protocol, std::u16string_view name);
int FirewallAuthorizeProgram(std::u16string_view path, std::u16string_view name);
// A port or program that is not there counts as removed.
int FirewallRemovePort(long port, long protocol);
int FirewallRemoveProgram(std::u16string_view path);
// Lets go of the current profile; the next operation needs FirewallConnect.
void FirewallReleaseProfile();

}  // namespace ks
