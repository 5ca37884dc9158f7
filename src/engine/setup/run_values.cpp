// The installation's values as the folder variables see them.
#include "setup/run_values.h"

#include "portable/text.h"
#include "setup/engine_state.h"

namespace ks {

InstallValues CurrentInstallValues() {
  const EngineState& e = Engine();
  const Settings& s = e.settings();
  const InstallRun& run = e.run;
  InstallValues v;
  v.install_dir = run.InstallDir;
  v.product_name = s.ProductName;
  v.version = s.ProductVersionW;
  v.old_version = SystemCodePage().ToWide(run.earlier.DisplayVersion);
  v.shortcut_mode = s.ShortcutMode;
  v.bitness = s.Bitness;
  v.desktop_folder = s.DesktopFolder;
  v.start_menu = run.StartMenuFolder.empty() ? s.ProductStartMenu : run.StartMenuFolder;
  v.uninstall_subdir = s.UninstallSubdir;
  v.shared_path = run.SharedPath;
  v.installer_path = e.module_path;
  return v;
}

std::u16string Expand(std::u16string text) { return ExpandVariables(std::move(text), CurrentInstallValues()); }
std::string Expand8(std::string text) { return ExpandVariables(std::move(text), CurrentInstallValues()); }

}  // namespace ks
