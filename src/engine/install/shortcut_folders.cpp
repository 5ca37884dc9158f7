// The shortcut folders and the desktop and start-menu shortcuts.
#include "install/shortcut_folders.h"

#include <windows.h>

#include "core/os_name.h"
#include "portable/path_rules.h"
#include "portable/shortcut_rules.h"
#include "portable/text.h"
#include "script/folder_variables.h"

namespace ks {

ShortcutFolders GatherShortcutFolders() {
  InstallValues none;
  ShortcutFolders f;
  f.desktop = VariableValue(kVarDesktopDir, none);
  f.desktop_all = VariableValue(kVarDesktopAllDir, none);
  f.programs = VariableValue(kVarSMProgramsDir, none);
  f.programs_all = VariableValue(kVarSMProgramsAllDir, none);
  f.startup = VariableValue(kVarStartupDir, none);
  f.startup_all = VariableValue(kVarStartupAllDir, none);
  f.temp = VariableValue(kVarTemp, none);
  f.app_data = VariableValue(kVarAppDataDir, none);
  OsFacts os = GatherOsFacts();
  // 9x minor versions below 90; ME is 90.
  f.start_menu_double = os.platform_id == VER_PLATFORM_WIN32_WINDOWS && os.minor < 90;
  return f;
}

const std::u16string& StartupFolder(const ShortcutFolders& folders, unsigned flags) {
  return (flags & kShortcutAllUsers) ? folders.startup_all : folders.startup;
}

PlacedShortcut CreateShortcutAt(const std::u16string& path, const ShortcutFields& fields, unsigned flags) {
  PlacedShortcut placed;
  placed.paths.push_back(path);
  placed.result = CreateShortcut(placed.paths.back(), fields, flags);
  return placed;
}

PlacedShortcut CreateDesktopShortcut(const ShortcutFolders& folders, const std::u16string& name,
                                     const ShortcutFields& fields, unsigned flags) {
  const std::u16string& desktop = (flags & kShortcutAllUsers) ? folders.desktop_all : folders.desktop;
  return CreateShortcutAt(JoinPath(desktop, name), fields, 0);
}

PlacedShortcut CreateStartMenuShortcut(const ShortcutFolders& folders, const std::u16string& path,
                                       const ShortcutFields& fields, unsigned flags) {
  bool all_users = flags & kShortcutAllUsers;
  PlacedShortcut placed = CreateShortcutAt(JoinPath(all_users ? folders.programs_all : folders.programs, path),
                                           fields, flags);
  if (!placed.saved() || !all_users || !folders.start_menu_double) return placed;
  std::u16string second = JoinPath(folders.programs, path);
  if (EqualsNoCase(LinkFileName(second), placed.paths.front())) return placed;
  DWORD error = GetLastError();
  if (CreateShortcut(second, fields, 0) == LinkSave::kSaved) placed.paths.push_back(second);
  SetLastError(error);
  return placed;
}

}  // namespace ks
