// The background notifications of an installation.
#include "setup/install_notification.h"

#include "install/firewall.h"
#include "net/notification.h"
#include "portable/install_rules.h"
#include "setup/engine_state.h"

namespace ks {
namespace {

bool Authorize(std::u16string_view program, std::u16string_view name) {
  return FirewallConnect() == kFirewallDone && FirewallAuthorizeProgram(program, name) == kFirewallDone;
}

void Remove(std::u16string_view program) {
  if (FirewallConnect() == kFirewallDone) FirewallRemoveProgram(program);
}

}  // namespace

void UseFirewallForNotifications() { SetNotificationFirewall({Authorize, Remove}); }

const TextW& InstallNotificationAddress(const Settings& s, int install_type) {
  switch (install_type) {
    case kInstallUpgrade: return s.UpgradeNotifyUrl;
    case kInstallDowngrade: return s.DowngradeNotifyUrl;
    case kInstallSame: return s.ReinstallNotifyUrl;
    default: return s.InstallNotifyUrl;
  }
}

void SendStartNotification(InstallRun&) {
  const Settings& s = Engine().settings();
  StartNotification(s.StartNotifyUrl, s.ProductVersionW);
}

void SendInstallNotification(const InstallRun& run) {
  const Settings& s = Engine().settings();
  StartNotification(InstallNotificationAddress(s, run.InstallType), s.ProductVersionW);
}

}  // namespace ks
