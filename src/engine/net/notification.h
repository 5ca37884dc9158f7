// Notification requests: one HTTP GET of an address from the settings, run
// on a background thread; only the end of the process waits for it, and
// never longer than kNotificationExitWaitMs.
#pragma once
#include <string>
#include <string_view>

namespace ks {

constexpr char16_t kNotificationFirewallName[] = u"Keldwick Setup Installer";
constexpr unsigned kNotificationExitWaitMs = 30000;

// How the engine lets its own executable through the firewall while a
// request runs. `authorize` returns true when the entry is in place.
struct NotificationFirewall {
  bool (*authorize)(std::u16string_view program, std::u16string_view name) = nullptr;
  void (*remove)(std::u16string_view program) = nullptr;
};
void SetNotificationFirewall(NotificationFirewall firewall);

// Starts the request for `address` with every "%version%" (any letter case)
// replaced by `version`, and returns at once. An empty address does nothing.
// Every failure is silent. The first call adds the exit step that waits for
// the requests (at most kNotificationExitWaitMs in all) and removes the
// firewall entry.
void StartNotification(std::u16string_view address, std::u16string_view version);

// The address the uninstall registration saved ("NotifyURL"), after a
// successful removal.
void NotifyAfterUninstall(std::u16string_view url, std::u16string_view version);

// The exit step on its own: waits for the running requests within `limit_ms`
// and takes the firewall entry away. Returns true when every request ended.
bool FinishNotifications(unsigned limit_ms = kNotificationExitWaitMs);

}  // namespace ks
