// Control-panel applets.
#include "install/applets.h"

#include "core/registry_key.h"
#include "portable/component_rules.h"

namespace ks {

bool RegisterApplet(const std::u16string& path, const std::u16string& name) {
  RegistryKey key;
  if (!Opened(key.OpenPath(kAppletKeyPath, kRegOpenOnly | kRegNoStack, kRegReadWrite))) return false;
  return key.WriteString(name, path, 0);
}

}  // namespace ks
