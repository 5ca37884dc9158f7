// The installation's last phase, in its fixed order.
#include "portable/display_settings.h"
#include "setup/finish.h"

#include <windows.h>
#include <shlobj.h>

#include <span>

#include "core/code_page.h"
#include "core/file_access.h"
#include "core/delete_file.h"
#include "core/folder_removal.h"
#include "core/library_loader.h"
#include "core/privilege.h"
#include "core/process.h"
#include "core/restart_move.h"
#include "core/restore_point.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/path_entry.h"
#include "portable/install_log_text.h"
#include "portable/install_rules.h"
#include "portable/path_entry.h"
#include "portable/path_rules.h"
#include "portable/uninstall_key.h"
#include "portable/version.h"
#include "script/folder_variables.h"
#include "setup/engine_state.h"
#include "setup/exit.h"
#include "setup/product_registration.h"
#include "setup/uninstaller_program.h"
#include "setup/install_batches.h"
#include "setup/install_notification.h"
#include "setup/messages.h"
#include "setup/run_values.h"
#include "ui/message_box.h"
#include "ui/pages.h"
#include "uninstall/uninstall_data_file.h"

namespace ks {
namespace {

constexpr char16_t kBackgroundFileName[] = u"Installer Background.bmp";
constexpr char16_t kRebootMarkerName[] = u"reboot.dat";
constexpr int kMsgStoringUninstallData = 36;
constexpr int kMsgRestartCaption = 20;
constexpr int kMsgRestartQuestion = 37;

// What the Summary dialog offers; nothing is chosen while it is not shown.
struct FinishChoices {
  bool open_first = false;   // FinishText1
  bool run_second = false;   // FinishText2
  bool view_log = false;
  bool open_third = false;   // FinishText3
};

void SaveBackground(InstallRun& run) {
  const Settings& s = Engine().settings();
  Progress(98);
  if (!(run.OptionFlags(s) & kOptKeepBackground) || s.BackgroundPicture.empty()) return;
  std::u16string path = JoinPath(run.UninstallDir, kBackgroundFileName);
  if (WriteWholeFile(path, BmpFileFromDib(s.BackgroundPicture))) run.uninstall_data.RecordItem(path, kRecordFile);
}

void SaveTexts(InstallRun& run, const std::vector<Blob>& texts, std::u16string_view stem) {
  const Settings& s = Engine().settings();
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].empty()) continue;
    std::u16string name = SavedTextName(stem, i, texts.size());
    std::u16string path = JoinPath(run.InstallDir, name);
    if (!(s.OptionFlags2 & kOpt2FixedProgressText)) StatusText(name);
    if (WriteWholeFile(path, texts[i])) run.uninstall_data.RecordItem(path, kRecordFile);
  }
}

void SaveReadmeAndLicence(InstallRun& run) {
  const Settings& s = Engine().settings();
  if (s.OptionFlags2 & kOpt2SaveReadme) SaveTexts(run, s.ReadmeTexts, u"readme");
  if (s.OptionFlags2 & kOpt2SaveLicence) SaveTexts(run, s.LicenseTexts, u"eula");
}

// The folder joins the machine's PATH; the uninstaller takes it off again
// through the uninstall key's AddToPathSubfolder.
void AddToPath(InstallRun& run) {
  InstallLog& log = Engine().log;
  const Settings& s = Engine().settings();
  if (!(run.OptionFlags(s) & kOptAddToPath)) return;
  std::u16string folder = PathEntryFolder(run.InstallDir, s.AddToPathSubfolder);
  switch (EditPath(true, folder)) {
    case PathEdit::kFolderMissing:
      log.LogConcat({u"Couldn't add \"", folder, u"\" to the PATH because it does not exist.\r\n"});
      break;
    case PathEdit::kWriteFailed: {
      DWORD error = GetLastError();
      log.AddFailure(u"Failed to add \"" + folder + u"\" to the PATH: " + SystemErrorText(error) + u"\r\n");
      break;
    }
    case PathEdit::kChanged:
    case PathEdit::kUnchanged:
    case PathEdit::kNoPath:
      break;
  }
}

// An empty "reboot.dat" that goes at the restart: a later installer sees the
// restart still pending.
void LeaveRebootMarker(InstallRun& run) {
  const Settings& s = Engine().settings();
  if (!(s.OptionFlags2 & kOpt2RebootMarker)) return;
  std::u16string path = JoinPath(run.InstallDir, kRebootMarkerName);
  if (WriteWholeFile(path, {})) DeleteAtRestart(path);
}

void WriteUninstallDataFile(InstallRun& run) {
  EngineState& e = Engine();
  Progress(100);
  Status(kMsgStoringUninstallData);
  if (!run.registers_uninstaller) return;
  std::u16string path = JoinPath(run.UninstallDir, kUninstallDataFileName);
  run.uninstall_data.auto_close = AutoCloseFromSettings(run.uninstall_close_list);
  run.uninstall_data.SetMessages([](int n) { return Text(n); }, Text(0));
  if (!WriteUninstallData(path, run.uninstall_data)) {
    DWORD error = GetLastError();
    e.log.AddFileFailure(Text(kMsgFileNotWritten), path, SystemErrorText(error));
  }
}

void TellShellDesktopChanged() {
  const Settings& s = Engine().settings();
  wchar_t desktop[MAX_PATH];
  int folder = s.ShortcutMode == 1 ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY;
  if (SUCCEEDED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, desktop)))
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW | SHCNF_FLUSH, desktop, nullptr);
}

void CommitRestorePoint(InstallRun& run) {
  if (run.restore_point_open && !EndRestorePoint()) Engine().log.LogText(u"Failed to commit restore point.\r\n");
  run.restore_point_open = false;
}

void EndLog(InstallRun& run, FinishChoices& choices) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  if (e.command_line.RunProgram) e.log.LogConcat({u"Launch on exit: ", *e.command_line.RunProgram, u"\r\n"});
  LogFinish finish;
  finish.product_name = s.ProductName;
  finish.product_version = s.ProductVersionW;
  finish.install_folder = run.InstallDir;
  finish.uninstall_subdir = s.UninstallSubdir;
  finish.earlier_installation = run.earlier.exists;
  finish.old_version = SystemCodePage().ToWide(run.earlier.DisplayVersion);
  finish.option_flags = run.OptionFlags(s);
  finish.option_flags2 = s.OptionFlags2;
  finish.silent = e.AutomaticMode;
  finish.finish_items = !s.FinishText1.empty() || !s.FinishText2.empty() || !s.FinishText3.empty();
  finish.reboot_required = run.restart_required;
  finish.text = [](int n) { return Text(n); };
  finish.message_box = [](const std::u16string& body, const std::u16string& caption, UINT flags) {
    return ShowMessageBox(body, caption, flags);
  };
  finish.show_summary = [&choices, &e](uint32_t option_flags2) {
    const Settings& s = e.settings();
    uint32_t flags = e.header().ArchiveFlags;
    SummaryChoices offered, checked;
    offered.launch = !s.FinishText2.empty();
    offered.open_first = !s.FinishText1.empty();
    offered.open_third = !s.FinishText3.empty();
    offered.view_log = option_flags2 & kOpt2OfferLog;
    checked.launch = flags & kArcLaunchChecked;
    checked.open_first = flags & kArcOpenFirstChecked;
    checked.open_third = flags & kArcOpenThirdChecked;
    SummaryChoices chosen = SummaryPage(offered, checked);
    choices = {chosen.open_first, chosen.launch, chosen.view_log, chosen.open_third};
  };
  // "Reinstall" means the same version again, whether or not the settings
  // asked to classify the installation.
  bool reinstall = run.earlier.exists && !run.earlier.DisplayVersion.empty() &&
                   CompareVersions(run.earlier.DisplayVersion, s.ProductVersion) == 0;
  e.log.FinishLog(finish, reinstall, !e.AutomaticMode);
  e.log_active = false;
}

bool AskForRestart(const InstallRun& run) {
  const EngineState& e = Engine();
  if (!run.restart_required) return false;
  // The deployment tool restarts the machine when it chooses; the exit code says it is needed.
  if (ProcessExitFacts().deployment) return false;
  if (e.AutomaticMode && !(e.settings().OptionFlags2 & kOpt2AskRebootWhenSilent)) return true;
  return ShowMessageBox(Text(kMsgRestartQuestion), Text(kMsgRestartCaption), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void RemoveEmptyFolders(const InstallRun& run) {
  for (const std::u16string* folder : {&run.SharedPath, &run.UninstallDir, &run.InstallDir}) {
    if (!folder->empty()) RemoveFolder(*folder, 0);
  }
}

void RestoreRedirection() {
  if (Engine().settings().Bitness != 1) return;
  using Fn = BOOLEAN(WINAPI*)(BOOLEAN);
  if (auto enable = SystemProc<Fn>(L"kernel32.dll", "Wow64EnableWow64FsRedirection")) enable(TRUE);
}

void RestartWindows() {
  EnablePrivilege(u"SeShutdownPrivilege");
  ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION |
                                SHTDN_REASON_FLAG_PLANNED);
}

std::u16string AbsoluteIn(const std::u16string& folder, const std::u16string& path) {
  if (path.size() >= 2 && (path[1] == u':' || (path[0] == u'\\' && path[1] == u'\\'))) return path;
  if (path.find(u"://") != std::u16string::npos) return path;  // an address, not a file
  return JoinPath(folder, path);
}

void OpenFinishItem(const InstallRun& run, const Text8& item) {
  std::u16string target = SystemCodePage().ToWide(Expand8(item));
  OpenDocument(AbsoluteIn(run.InstallDir, target), {}, run.InstallDir);
}

void StartChosenPrograms(const InstallRun& run, const FinishChoices& choices) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  SetCurrentDirectoryW(W(run.InstallDir));
  if (e.log.FailureSummary().empty() && e.command_line.RunProgram) {
    const std::u16string& command = *e.command_line.RunProgram;
    if (Launch(command, kLaunchFolderFromProgram) == kLaunchNotStarted) {
      DWORD error = GetLastError();
      ErrorBox(u"Failed to launch command: " + command + u"\r\n" + SystemErrorText(error));
    }
  }
  if (choices.open_first && !s.FinishText1.empty()) OpenFinishItem(run, s.FinishText1);
  if (choices.run_second && !s.FinishText2.empty()) {
    std::u16string command = SystemCodePage().ToWide(Expand8(s.FinishText2));
    if (Launch(command, 0, run.InstallDir) == kLaunchNotStarted) {
      DWORD error = GetLastError();
      ErrorBox(u"Failed to launch app: " + command + u"\r\n" + SystemErrorText(error));
    }
  }
  if (choices.view_log) ShowLog(InstallLogPath(run.InstallDir, s.UninstallSubdir));
  if (choices.open_third && !s.FinishText3.empty()) OpenFinishItem(run, s.FinishText3);
}

}  // namespace

void FinishInstallation(InstallRun& run) {
  SaveBackground(run);
  SaveReadmeAndLicence(run);
  AddToPath(run);
  WriteUninstaller(run);
  RegisterProduct(run);
  LeaveRebootMarker(run);
  WriteUninstallDataFile(run);
  RunPostInstallBatch();
  SendInstallNotification(run);
  TellShellDesktopChanged();
  CommitRestorePoint(run);
  CloseProgressPage();
  FinishChoices choices;  // what the Summary page offers; nothing while it is not shown
  EndLog(run, choices);
  bool restart = AskForRestart(run);
  RunExitBatch();
  RemoveEmptyFolders(run);
  RestoreRedirection();
  if (restart) {
    RestartWindows();
    OrderlyExit(ExitCode::kInstallEnd);
  }
  StartChosenPrograms(run, choices);
}

}  // namespace ks
