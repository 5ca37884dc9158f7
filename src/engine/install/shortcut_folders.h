// Where shortcuts go: the desktop, programs and Startup folders of the user or
// of all users, and the desktop and start-menu shortcuts built on them.
#pragma once
#include <string>
#include <vector>

#include "install/shortcut_link.h"

namespace ks {

struct ShortcutFolders {
  std::u16string desktop, desktop_all;
  std::u16string programs, programs_all;
  std::u16string startup, startup_all;
  std::u16string temp;      // the user's temporary folder
  std::u16string app_data;  // the user's application data
  // Windows 95 and 98 keep an all-users start-menu shortcut in the user's
  // programs folder too.
  bool start_menu_double = false;
};

// The folders as the system names them now.
ShortcutFolders GatherShortcutFolders();

// The Startup folder for the kShortcutAllUsers flag.
const std::u16string& StartupFolder(const ShortcutFolders& folders, unsigned flags);

struct PlacedShortcut {
  LinkSave result = LinkSave::kFailed;
  // The link files saved; on failure the one path tried. The last error
  // stays as the failed creation left it.
  std::vector<std::u16string> paths;
  bool saved() const { return result == LinkSave::kSaved; }
};

// On the desktop (of all users with kShortcutAllUsers), without a window state.
PlacedShortcut CreateDesktopShortcut(const ShortcutFolders& folders, const std::u16string& name,
                                     const ShortcutFields& fields, unsigned flags);
// Below the programs folder; on Windows 95 and 98 an all-users shortcut is
// made in the user's programs folder as well.
PlacedShortcut CreateStartMenuShortcut(const ShortcutFolders& folders, const std::u16string& path,
                                       const ShortcutFields& fields, unsigned flags);
// At a full path.
PlacedShortcut CreateShortcutAt(const std::u16string& path, const ShortcutFields& fields, unsigned flags);

}  // namespace ks
