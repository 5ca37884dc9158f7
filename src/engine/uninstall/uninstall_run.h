// The uninstall run: removes the product named on the command line.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "portable/display_settings.h"
#include "portable/exit_codes.h"
#include "portable/pending_renames.h"
#include "portable/uninstall_data.h"
#include "script/folder_variables.h"
#include "script/install_log.h"

namespace ks {

// How the run reaches the user and the progress display; absent functions
// show nothing (the progress display is a later window).
struct UninstallCalls {
  bool silent = false;  // "/a" on the command line, as the quiet uninstall string has it
  MessageBoxCall show;                       // a message box: the answer (IDYES...)
  std::function<void(int percent)> progress;
  std::function<void(const std::u16string&)> status;
  std::function<void()> restart;  // restarts the machine (the installer's own way)
  std::u16string program_after;   // "/r:" program, started without waiting after a clean run
  // After a clean run: hands NotifyURL (when set) and the product's version
  // to the notification client.
  std::function<void(const std::u16string& url, const std::u16string& version)> notify;
  // Creates the main window from the saved look; `folder` holds "uninstall.ico".
  std::function<void(DisplaySettings look, const std::u16string& folder)> main_window;
  // The dialogs and boxes: `texts` hands them the saved message table once it
  // is loaded; the support offer answers true when the user takes it.
  std::function<void(std::function<std::u16string(int)> message)> texts;
  std::function<bool()> support_offer;
  std::function<void()> show_progress;
  std::function<void()> close_progress;
};

// What the uninstall run reads, decides and its phases produce.
struct UninstallRun {
  std::u16string product_name;   // the key's name from the command line
  std::u16string display_name;   // DisplayName, or the key name
  std::u16string key_path;       // below HKLM
  UninstallCalls calls;
  InstallValues values;
  uint32_t option_flags = 0, option_flags2 = 0, archive_flags = 0;
  bool silent = false;
  bool redirection_off = false;
  PVOID redirection_state = nullptr;
  std::u16string data_path;      // ...\Uninstall.DAT
  UninstallData data;
  WrittenSet deleted_files;  // case-folded, for the pending-operation clean-up
  std::vector<std::u16string> folders;        // "~" items
  std::u16string failures;       // the failure summary
  bool stopped = false;          // a start-up check or the user ended the run
  bool removed = false;          // the product was removed without failures

  // Message `n` of the saved table ("" when the data file lacks it).
  std::u16string Message(int n) const;
  int Show(const std::u16string& text, const std::u16string& caption, UINT flags) const;
};

// How the run ended: kUninstallEnd when it got to removing (the failures and
// a pending restart are noted in the process's exit facts), kCancelled when
// the user said No, kRefused when a start-up check stopped it. After a clean
// removal the notification is handed off and the self-deletion of `self_path`
// (the running uninstaller) is scheduled.
ExitCode RunUninstaller(const std::u16string& product_name, const std::u16string& self_path,
                        const UninstallCalls& calls = {});

// After a successful run: the batch in the temporary folder that deletes the
// uninstaller once its process has ended, the uninstall data folder and the
// install folder when empty. Nothing happens when it cannot be written.
void ScheduleSelfDeletion(const std::u16string& uninstaller, const std::u16string& install_dir,
                          const std::u16string& uninstall_subdir);

}  // namespace ks
