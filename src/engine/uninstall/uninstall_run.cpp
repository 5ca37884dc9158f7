// The uninstall run.
#include "uninstall/uninstall_run.h"

namespace ks {

bool RunUninstaller(const std::u16string&) {
  // Removal is not implemented yet: report that nothing was removed.
  return false;
}

}  // namespace ks
