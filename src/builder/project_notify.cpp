// The project file's [notify] table: the addresses the installer and the
// uninstaller request in the background when something happened.
#include <algorithm>

#include "project_compiler.h"

namespace ks::builder::compile {

bool Compiler::Notify(const toml::table* t, Settings& s) {
  if (!t) return true;
  if (!CheckKeys(*t, "[notify]", {"start", "new_install", "upgrade", "downgrade", "reinstall", "uninstall"}))
    return false;
  const std::pair<std::string_view, std::u16string*> fields[] = {
      {"start", &s.StartNotifyUrl},         {"new_install", &s.InstallNotifyUrl},
      {"upgrade", &s.UpgradeNotifyUrl},     {"downgrade", &s.DowngradeNotifyUrl},
      {"reinstall", &s.ReinstallNotifyUrl}, {"uninstall", &s.NotifyURL},
  };
  for (auto [key, field] : fields) {
    if (!GetWide(*t, key, *field)) return false;
    // The address goes into a request line as it stands.
    if (std::any_of(field->begin(), field->end(), [](char16_t c) { return c < 0x20 || c == 0x7F; }))
      return Fail(*t->get(key), "[notify] " + std::string(key) + " must not hold control characters");
  }
  return true;
}

}  // namespace ks::builder::compile
