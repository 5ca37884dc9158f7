// The install operations' context for this run.
#include "setup/run_context.h"

#include "script/folder_variables.h"
#include "setup/engine_state.h"
#include "setup/run_values.h"
#include "setup/setup_archive.h"

namespace ks {

InstallContext RunInstallContext(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  InstallContext context;
  context.InstallDir = run.InstallDir;
  context.SharedDir = run.SharedPath;
  context.UninstallDir = run.UninstallDir;
  context.FontsDir = VariableValue(kVarFontDir, CurrentInstallValues());
  context.SystemDir = VariableValue(kVarSystemDir, CurrentInstallValues());
  context.WindowsDir = e.windows_folder;
  context.InstallOnRemovable = run.removable_destination;
  context.SharedPathOnRemovable = s.SharedPathOnRemovable;
  context.OptionFlags = run.OptionFlags(s);
  context.OptionFlags2 = s.OptionFlags2;
  context.ArchiveFlags = run.ArchiveFlags(e.header());
  context.FileSizes = e.header().FileSizes;
  context.Cipher = run.archive->Cipher();
  return context;
}

}  // namespace ks
