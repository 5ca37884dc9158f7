// The installation's last phase, in its fixed order.
#include "setup/finish.h"

#include <windows.h>
#include <shlobj.h>

#include <span>

#include "core/code_page.h"
#include "core/delete_file.h"
#include "core/folder_removal.h"
#include "core/library_loader.h"
#include "core/privilege.h"
#include "core/process.h"
#include "core/registry_key.h"
#include "core/restart_move.h"
#include "core/restore_point.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/file_writer.h"
#include "install/path_entry.h"
#include "portable/date_format.h"
#include "portable/icon_group.h"
#include "portable/install_log_text.h"
#include "portable/install_rules.h"
#include "portable/path_entry.h"
#include "portable/path_rules.h"
#include "portable/uninstall_key.h"
#include "portable/version.h"
#include "script/folder_variables.h"
#include "setup/engine_sink.h"
#include "setup/corrupt.h"
#include "setup/engine_state.h"
#include "setup/exit.h"
#include "setup/install_batches.h"
#include "setup/install_notification.h"
#include "setup/messages.h"
#include "setup/run_context.h"
#include "setup/run_values.h"
#include "setup/setup_archive.h"
#include "setup/uninstall_key_writer.h"
#include "ui/message_box.h"
#include "uninstall/uninstall_data_file.h"

namespace ks {
namespace {

constexpr char16_t kBackgroundFileName[] = u"Installer Background.bmp";
constexpr char16_t kProductIconName[] = u"product.ico";
constexpr char16_t kRebootMarkerName[] = u"reboot.dat";
constexpr int kErrUnknownValueType = 200;
constexpr WORD kIconGroupId = 1;  // the engine carries no icon of its own
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

// Writes `data` as the whole of `path`; false with the system error as last error.
bool WriteWholeFile(const std::u16string& path, std::span<const uint8_t> data) {
  UniqueHandle file(CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  if (data.empty()) return true;
  if (WriteFile(file.get(), data.data(), DWORD(data.size()), &written, nullptr) && written == data.size())
    return true;
  // No partial file stays under the name.
  DWORD error = written != data.size() && GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL : GetLastError();
  file.reset();
  DeleteFileW(W(path));
  SetLastError(error);
  return false;
}

std::span<const uint8_t> Span(const Blob& blob) {
  return {reinterpret_cast<const uint8_t*>(blob.data()), blob.size()};
}

void SaveBackground(InstallRun& run) {
  const Settings& s = Engine().settings();
  Progress(98);
  if (!(run.OptionFlags(s) & kOptKeepBackground) || s.BackgroundPicture.empty()) return;
  std::u16string path = JoinPath(run.UninstallDir, kBackgroundFileName);
  if (WriteWholeFile(path, Span(s.BackgroundPicture))) run.uninstall_data.RecordItem(path, kRecordFile);
}

void SaveTexts(InstallRun& run, const std::vector<Blob>& texts, std::u16string_view stem) {
  const Settings& s = Engine().settings();
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].empty()) continue;
    std::u16string name = SavedTextName(stem, i, texts.size());
    std::u16string path = JoinPath(run.InstallDir, name);
    if (!(s.OptionFlags2 & kOpt2FixedProgressText)) StatusText(name);
    if (WriteWholeFile(path, Span(texts[i]))) run.uninstall_data.RecordItem(path, kRecordFile);
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

// The uninstaller shows it in its window; the uninstall shortcuts use it too.
// Puts the icon file's pictures into the program as its one icon group.
bool ReplaceIcon(const std::u16string& program, const IconGroup& icon) {
  HANDLE update = BeginUpdateResourceW(W(program), FALSE);
  if (!update) {
    Engine().log.LogText(u"Failed to open uninstaller for icon replacement.\r\n");
    return false;
  }
  bool ok = true;
  for (size_t i = 0; i < icon.images.size() && ok; ++i) {
    ok = UpdateResourceW(update, RT_ICON, MAKEINTRESOURCEW(kIconGroupId + i), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                         const_cast<uint8_t*>(icon.images[i].data()), DWORD(icon.images[i].size()));
  }
  ok = ok && UpdateResourceW(update, RT_GROUP_ICON, MAKEINTRESOURCEW(kIconGroupId),
                             MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), const_cast<uint8_t*>(icon.group.data()),
                             DWORD(icon.group.size()));
  ok = EndUpdateResourceW(update, !ok) && ok;
  if (!ok) Engine().log.LogText(u"Failed to replace uninstaller icon.\r\n");
  return ok;
}

// The bare engine image, written like an installed file (replaced at the
// restart when the old uninstaller is in use), then given its icon.
void WriteUninstallerImage(InstallRun& run, const std::u16string& path) {
  EngineState& e = Engine();
  const Bytes& image = run.archive->UninstallerImage();
  InstallContext context = RunInstallContext(run);
  EngineSink sink(*run.archive, run);
  FileWrite request;
  request.destination = path;
  request.data = image.data();
  request.size = int64_t(image.size());
  request.times = e.settings().UninstallerFileTimes;
  FileWriteResult result;
  WriteOneFile(request, context, sink, result);
  if (context.OptionFlags & kOptRestartRequired) run.restart_required = true;
  if (!result.written || e.settings().UninstallIcon.empty()) return;
  std::optional<IconGroup> icon = IconGroupFromFile(Span(e.settings().UninstallIcon), kIconGroupId);
  if (!icon) {
    e.log.LogText(u"Failed to replace uninstaller icon.\r\n");
    return;
  }
  ReplaceIcon(path, *icon);
}

// A copy of the running installer; when the uninstaller is in use, a copy
// beside it replaces it at the restart.
void CopyUninstaller(InstallRun& run, const std::u16string& path) {
  EngineState& e = Engine();
  if (CopyFileW(W(e.module_path), W(path), FALSE)) return;
  wchar_t temp[MAX_PATH];
  if (!GetTempFileNameW(W(run.UninstallDir), L"OQT", 0, temp)) {
    DWORD error = GetLastError();
    e.log.AddFailure(u"Failed to register '" + path +
                     u"' for replacement because no temporary file could be created.\r\n" +
                     SystemErrorText(error) + u"\r\n\r\n");
    return;
  }
  std::u16string temporary = U16(temp);
  if (CopyFileW(W(e.module_path), temp, FALSE) && MoveAtRestart(temporary, path, e.windows_folder)) {
    run.restart_required = true;
    e.log.LogConcat({u"\"", path, u"\" was successfully registered for replacement.\r\nTemporary file is \"",
                     temporary, u"\"\r\nReboot will be required.\r\n\r\n"});
    return;
  }
  DWORD error = GetLastError();
  e.log.AddFailure(u"Failed to register '" + path + u"' for replacement with temporary file '" + temporary +
                   u"'\r\n" + SystemErrorText(error) + u"\r\n\r\n");
  DeleteFileW(temp);
}

void WriteUninstaller(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  Progress(99);
  if (!run.registers_uninstaller) return;
  std::u16string path = JoinPath(run.UninstallDir, SystemCodePage().ToWide(s.UninstallerFileName));
  if (run.ArchiveFlags(e.header()) & kArcUninstallerIcon)
    WriteUninstallerImage(run, path);
  else
    CopyUninstaller(run, path);
}

std::string Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return FormatDate("yymmdd", {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

// The settings' extra values, expanded; an unknown type ends the list.
std::vector<UninstallKeyValue> ExtraValues() {
  const Settings& s = Engine().settings();
  std::vector<UninstallKeyValue> values;
  for (const RegistryEntry& entry : s.RegistryList)
    values.push_back(ExtraUninstallValue(entry, SystemCodePage().ToWide(entry.path), Expand(entry.value)));
  return values;
}

// "product.ico" in the uninstall data folder; empty when there is none.
std::u16string SaveProductIcon(InstallRun& run) {
  const Settings& s = Engine().settings();
  if (s.ProductIcon.empty()) return {};
  std::u16string path = JoinPath(run.UninstallDir, kProductIconName);
  if (!WriteWholeFile(path, Span(s.ProductIcon))) return {};
  run.uninstall_data.RecordItem(path, kRecordFile);
  return path;
}

// Registers the product with the system's list of installed programs, with
// everything the uninstaller needs to run without the installer's settings.
void RegisterProduct(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  if (!run.registers_uninstaller) return;
  const auto& cp = SystemCodePage();
  std::u16string kept_error;
  bool failed = false;

  RegistryKey key;
  std::u16string key_path = std::u16string(kUninstallKey) + u"\\" + s.UninstallKeyName;
  if (!Opened(key.Open(HKEY_LOCAL_MACHINE, key_path, kRegView64 | kRegNoStack, KEY_ALL_ACCESS))) {
    kept_error = SystemErrorText(GetLastError());
    failed = true;
  } else {
    UninstallKeyRun r;
    r.key_name = s.UninstallKeyName;
    r.uninstaller_path = JoinPath(run.UninstallDir, cp.ToWide(s.UninstallerFileName));
    r.installer_path = e.module_path;
    r.product_icon_path = SaveProductIcon(run);
    r.install_dir = run.InstallDir;
    r.start_menu_folder = run.StartMenuFolder;
    r.shared_path = run.SharedPath;
    r.fonts_text = run.payload.fonts_text;
    r.shared_files = cp.FromWide(run.counted_files);
    r.notify_url = cp.FromWide(s.NotifyURL);
    r.copyright_font = cp.FromWide(s.CopyrightFont);
    r.installed_size = run.required_space;
    r.option_flags = run.OptionFlags(s);
    r.archive_flags = run.ArchiveFlags(e.header());
    r.install_date = Today();
    r.extra = ExtraValues();
    std::vector<UninstallKeyValue> values = UninstallKeyValues(s, r);
    auto on_failure = [&](const std::u16string& name, DWORD error) {
      failed = true;
      e.log.AddFailure(u"Failed to save data in registry key \"" + name + u"\": " + SystemErrorText(error) +
                       u"\r\n");
    };
    if (!WriteKeyValues(key, values, kRegView64, on_failure)) CorruptInstaller(kErrUnknownValueType);
    // Read back: a key that does not keep what was written is no registration.
    if (key.ReadValueText(u"UninstallString", u"") != values.front().text16) failed = true;
  }

  if (!s.InstallDirRegistryValue.empty()) {
    std::u16string value_path = cp.ToWide(s.InstallDirRegistryValue);
    size_t slash = value_path.rfind(u'\\');
    RegistryKey folder_key;
    if (slash != std::u16string::npos &&
        Opened(folder_key.OpenPath(value_path.substr(0, slash), kRegView64 | kRegNoStack, kRegReadWrite)))
      folder_key.WriteString(value_path.substr(slash + 1), run.InstallDir, kRegWideText);
  }

  if (failed) {
    if (!kept_error.empty()) e.log.AddFailure(u"System error: " + kept_error + u"\r\n\r\n");
    e.log.AddFailure(
        u"Unable to save the uninstall information to the registry.  Uninstall will not work properly.\r\n\r\n");
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

void EndLog(InstallRun& run) {
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
  EndLog(run);
  FinishChoices choices;  // what the Summary page offers; nothing while it is not shown
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
