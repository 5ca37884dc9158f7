// The uninstaller's own removal: a batch in the temporary folder waits for
// the process to end, deletes the program and the folders it leaves empty.
#include "core/file.h"
#include "core/folder_removal.h"
#include "core/process.h"
#include "portable/batch_text.h"
#include "portable/path_rules.h"
#include "portable/uninstall_rules.h"
#include "script/batch.h"
#include "uninstall/uninstall_run.h"

namespace ks {

void ScheduleSelfDeletion(const std::u16string& uninstaller, const std::u16string& install_dir,
                          const std::u16string& uninstall_subdir) {
  std::u16string batch_path = JoinPath(TempFolder(), u"delunins.bat");
  // "rd" takes an empty folder whatever it is: an emptied Desktop chosen as
  // install folder must stay.
  bool remove_install_dir = !IsProtectedFolder(install_dir);
  std::string bytes = BatchFileBytes(
      SelfDeletionBatchText(uninstaller, install_dir, uninstall_subdir, batch_path, remove_install_dir), Utf8Batches());
  {
    File file;
    if (file.Open(batch_path, kOpenCreateAlways | kOpenNoRead) != FileError::kOk) return;
    if (!file.Write(bytes.data(), int(bytes.size()))) return;
  }
  std::u16string command = u"\"" + CommandInterpreter() + u"\" /c " + ShortPath(batch_path);
  Launch(command, kLaunchNewConsole | kLaunchHidden);
}

}  // namespace ks
