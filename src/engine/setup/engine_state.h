// The engine's process-wide state, in one place: what the command line, the
// archive and the settings gave, and the few values the run changes later.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/handle.h"
#include "portable/archive.h"
#include "portable/command_line.h"
#include "portable/settings.h"
#include "portable/uninstall_data.h"
#include "script/install_log.h"

namespace ks {

struct EngineState {
  HINSTANCE instance = nullptr;
  HICON large_icon = nullptr, small_icon = nullptr;
  std::u16string module_path;   // the running executable
  std::u16string windows_folder;
  CommandLine command_line;

  // Filled once by the archive reader and the settings reader, then read.
  ArchiveHeader header;
  Settings settings;
  bool settings_loaded = false;  // the string table is usable for messages

  // Run state.
  bool AutomaticMode = false;
  bool redirection_failed = false;  // a 64-bit product whose file-system redirection stayed on
  bool uninstalling = false;
  std::u16string InstallDir;
  std::u16string UninstallDir;
  std::u16string SharedPath;
  std::u16string StartMenuFolder;
  bool removable_destination = false;
  uint64_t required_space = 0;
  uint64_t uninstaller_size = 0;  // added to the space the product needs
  int InstallType = 3;
  UniqueHandle single_instance;  // the "Keldwick GCS" mutex, held until exit

  // What the product's uninstall key says of an earlier installation.
  struct Earlier {
    std::u16string InstallLocation;
    std::string DisplayVersion;  // %OldVersion%
    std::u16string SharedFiles;
    std::u16string ProductStartMenu;
    bool exists = false;  // its folder exists
  } earlier;
  // The registry value that named the earlier folder, when the uninstaller
  // is to remove it (ArchiveFlags 0x2000).
  std::u16string install_dir_value_to_record;

  // What the install operations produce for the end of the run.
  InstallLog log;
  bool log_active = false;
  UninstallData uninstall_data;
  bool restore_point_open = false;
};

// The one instance, created at first use on the main thread.
EngineState& Engine();

}  // namespace ks
