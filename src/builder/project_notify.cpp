// The project file's [notify] table: the addresses the installer and the
// uninstaller request in the background when something happened.
#include <algorithm>

#include "project_compiler.h"
#include "project_notify.h"

namespace ks::builder {

namespace {

// One list for both constnesses: S is Settings or const Settings.
template <typename S>
auto Addresses(S& s) {
  using Field = decltype(&s.NotifyURL);
  return std::array<std::pair<std::string_view, Field>, 6>{{{"start", &s.StartNotifyUrl},
                                                           {"new_install", &s.InstallNotifyUrl},
                                                           {"upgrade", &s.UpgradeNotifyUrl},
                                                           {"downgrade", &s.DowngradeNotifyUrl},
                                                           {"reinstall", &s.ReinstallNotifyUrl},
                                                           {"uninstall", &s.NotifyURL}}};
}

}  // namespace

std::array<std::pair<std::string_view, std::u16string*>, 6> NotifyAddresses(Settings& s) { return Addresses(s); }
std::array<std::pair<std::string_view, const std::u16string*>, 6> NotifyAddresses(const Settings& s) {
  return Addresses(s);
}

namespace compile {

bool Compiler::Notify(const toml::table* t, Settings& s) {
  if (!t) return true;
  if (!CheckKeys(*t, "[notify]", {"start", "new_install", "upgrade", "downgrade", "reinstall", "uninstall"}))
    return false;
  for (auto [key, field] : NotifyAddresses(s)) {
    if (!GetWide(*t, key, *field)) return false;
    // The address goes into a request line as it stands.
    if (std::any_of(field->begin(), field->end(), [](char16_t c) { return c < 0x20 || c == 0x7F; }))
      return Fail(*t->get(key), "[notify] " + std::string(key) + " must not hold control characters");
  }
  return true;
}

}  // namespace compile
}  // namespace ks::builder
