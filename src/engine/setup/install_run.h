// The installation run's own state: what the run decides (language, folders,
// what it dropped) and what its phases produce for the phases after them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "install/payload_install.h"
#include "portable/archive.h"
#include "portable/settings.h"
#include "portable/uninstall_data.h"

namespace ks {

class SetupArchive;
class Wizard;

struct InstallRun {
  SetupArchive* archive = nullptr;
  Wizard* wizard = nullptr;

  // Decisions of the run; the settings and the archive header stay as read.
  int language = -1;  // chosen on the language page; -1: the settings' default
  std::u16string DefaultInstallDir;  // the settings' own, or the required product's folder ("<master>")
  bool button_images = false;        // asked for, and the system's common controls can draw them
  bool restore_point = false;        // asked for, and not failed
  bool restore_point_open = false;   // begun, to be committed at the end
  bool registers_uninstaller = false;  // OptionFlags 0x4, dropped on removable drives when asked
  bool restart_required = false;       // a file or deletion waits for the restart
  std::vector<CloseEntry> uninstall_close_list;  // the close-list entries the uninstaller applies

  // Folders and the earlier installation.
  std::u16string InstallDir;
  std::u16string UninstallDir;
  std::u16string SharedPath;
  std::u16string StartMenuFolder;
  bool removable_destination = false;
  uint64_t required_space = 0;
  // Folders the folder page's choice made, deepest first: a Cancel on the
  // start-menu page takes them away again.
  std::vector<std::u16string> created_folders;
  uint64_t uninstaller_size = 0;  // added to the space the product needs
  int InstallType = 3;
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

  // Products of the phases.
  PayloadLists payload;  // components, fonts, shortcuts for the phases after the files
  // The shared files counted for this product: the earlier installation's
  // "SharedFiles", extended by the counts of this run, stored by the finish.
  std::u16string counted_files;
  UninstallData uninstall_data;

  // Set by the owner of the progress page when the user presses Cancel; the
  // work in progress stops at its next pump.
  bool cancel_requested = false;

  // Takes the starting values of the decisions from what was read.
  void Begin(const Settings& s, const ArchiveHeader& header);
  // The flag words with the run's decisions in place, for the operations
  // that take whole flag words (the payload phase, the log's end).
  uint32_t OptionFlags(const Settings& s) const;
  uint32_t ArchiveFlags(const ArchiveHeader& header) const;
};

}  // namespace ks
