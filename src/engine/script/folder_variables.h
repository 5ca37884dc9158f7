// Folder variables on Windows: the value of each table name from the shell,
// the registry and the environment, and ExpandVariables over both text forms.
#pragma once
#include <string>

#include "portable/variables.h"

namespace ks {

// The installation's own values. The installer fills them as the run fixes
// them; the uninstaller from the values saved in the product's uninstall key.
struct InstallValues {
  std::u16string install_dir;
  std::u16string product_name;
  std::u16string version;         // DisplayVersion
  std::u16string old_version;     // DisplayVersion of the earlier installation; empty when none
  int shortcut_mode = 0;          // 1: shortcuts for all users
  int bitness = 0;                // 1: a 64-bit installation
  std::u16string desktop_folder;  // DesktopFolder name
  std::u16string start_menu;      // the chosen ProductStartMenu folder name
  std::u16string uninstall_subdir;
  std::u16string shared_path;     // SharedPath; empty when none
  std::u16string installer_path;  // empty: the running executable
};

// Shortcut modes and bitness as the table reads them.
constexpr int kShortcutsAllUsers = 1;
constexpr int kBitness64 = 1;

// 64-bit Windows, by the processor architecture Windows reports natively.
bool Is64BitWindows();
std::u16string WindowsFolder();

// The folders by kFolderMode*; no trailing backslash except on a bare root.
std::u16string ProgramFilesFolder(int mode);
std::u16string CommonFilesFolder(int mode);

// The current value of table entry `id` (a VariableId), for the operations
// that need one folder directly.
std::u16string VariableValue(int id, const InstallValues& values);

// The table names in table order, then the process's environment variables.
std::u16string ExpandVariables(std::u16string text, const InstallValues& values);
// The same in the system code page.
std::string ExpandVariables(std::string text, const InstallValues& values);

// Environment expansion into a buffer of kEnvironmentBuffer characters; false
// (text unchanged) when the call fails or the result does not fit.
constexpr unsigned kEnvironmentBuffer = 32000;
bool ExpandEnvironment(std::u16string& text);
bool ExpandEnvironment(std::string& text);

}  // namespace ks
