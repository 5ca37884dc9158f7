// The DeleteList applied to the disk: files matching each record's pattern and
// comparison are deleted now or at the next restart, by installer and uninstaller.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "portable/uninstall_data.h"

namespace ks {

// Expands the folder variables of a path ("%InstallDir%\old.dll").
using VariableExpander = std::function<std::u16string(std::u16string)>;

// Where the installation's reports go; empty functions drop them. Lines end
// in "\r\n" as the install log and the failure summary want them.
struct DeletionReports {
  std::function<void(std::u16string_view)> log;
  std::function<void(std::u16string_view)> failure;
};

struct ConditionalDeletionOutcome {
  // A deletion waits for the restart. The installer raises its
  // reboot-required bit (OptionFlags 0x4000); the uninstaller its
  // restart-after-uninstall bit (OptionFlags2 0x2000).
  bool restart_needed = false;
  // 65 when a date comparison's value is not a date: the caller stops as a
  // corrupt installer. Nothing of that record was deleted.
  int corrupt_code = 0;
};

// Applies the records flagged for this phase (kConditionalDuringInstall or
// kConditionalDuringUninstall). Relative patterns are taken from
// `install_folder`. During the uninstallation a record whose files were all
// deleted (or registered for deletion) is dropped from `records`, so that a
// rewritten Uninstall.DAT keeps only what is left to do. Only the
// installation logs and reports failures.
ConditionalDeletionOutcome ApplyConditionalDeletions(bool during_install, std::vector<FileDeletion>& records,
                                                     std::u16string_view install_folder,
                                                     const VariableExpander& expand,
                                                     const DeletionReports& reports = {});

}  // namespace ks
