// The uninstall run.
#include "uninstall/uninstall_run.h"

namespace ks {
namespace {

// Removal is not implemented yet: report that nothing was removed.
void ReportNothingRemoved(UninstallRun& run) { run.removed = false; }

// The uninstallation, in its fixed order; the removal steps join here.
using UninstallPhase = void (*)(UninstallRun&);
constexpr UninstallPhase kUninstallPhases[] = {ReportNothingRemoved};

}  // namespace

bool RunUninstaller(const std::u16string& product_name) {
  UninstallRun run;
  run.product_name = product_name;
  for (UninstallPhase phase : kUninstallPhases) phase(run);
  return run.removed;
}

}  // namespace ks
