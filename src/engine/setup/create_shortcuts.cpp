// CreateShortcuts: every shortcut of the run, recorded for the uninstaller.
#include "setup/create_shortcuts.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "core/crash_guard.h"
#include "core/file.h"
#include "core/file_access.h"
#include "core/os_name.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/folder_tree.h"
#include "install/install_context.h"
#include "install/shortcut_folders.h"
#include "install/shortcut_link.h"
#include "portable/path_rules.h"
#include "portable/settings_codec.h"
#include "portable/shortcut_rules.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "portable/variables.h"
#include "setup/engine_state.h"
#include "setup/messages.h"
#include "setup/run_values.h"

namespace ks {
namespace {

enum : int {
  kMsgUninstallShortcutName = 33,
  kMsgDefaultShortcutName = 38,
  kMsgShortcutsDone = 78,
  kMsgLogShortcutName = 86,
};

constexpr int kShortcutsEndProgress = 97;

class ShortcutPhase {
 public:
  explicit ShortcutPhase(InstallRun& run)
      : e_(Engine()), s_(e_.settings()), run_(run), log_(e_.log), folders_(GatherShortcutFolders()) {}

  void AddUninstallerShortcuts(std::vector<ShortcutRecord>& list);
  void ProcessList(const std::vector<ShortcutRecord>& list);
  void RootShortcut();
  void TaskbarPin();

 private:
  void Process(ShortcutRecord r);
  void Place(const ShortcutRecord& r, ShortcutPlace place, const PlacedShortcut& placed, const char16_t* label);
  void PrepareDesktopFolder();
  void ShortcutFailure(const std::u16string& path, DWORD error);
  bool Verbose() const { return run_.OptionFlags(s_) & kOptVerboseLog; }
  void Record(const std::u16string& path, int kind) { run_.uninstall_data.RecordItem(path, kind); }

  EngineState& e_;
  const Settings& s_;
  InstallRun& run_;
  InstallLog& log_;
  ShortcutFolders folders_;
  std::u16string desktop_folder_;    // %DesktopShortcuts% when the product has a desktop folder
  bool first_desktop_folder_ = true;  // the folder is prepared before its first shortcut
};

// The uninstaller's own shortcuts and the log shortcut join the end of the list.
void ShortcutPhase::AddUninstallerShortcuts(std::vector<ShortcutRecord>& list) {
  uint32_t flags = run_.OptionFlags(s_);
  if (flags & kOptUninstaller) {
    ShortcutRecord r;
    r.Target = JoinPath(run_.UninstallDir, PathFrom8Bit(s_.UninstallerFileName));
    r.Arguments = u"/u:\"" + s_.UninstallKeyName + u"\"";
    r.Name = Text(kMsgUninstallShortcutName);
    r.Quiet = true;
    if (!s_.UninstallIcon.empty()) {
      std::u16string icon = JoinPath(run_.UninstallDir, u"uninstall.ico");
      if (WriteWholeFile(icon, s_.UninstallIcon)) {
        r.Icon = icon;
        Record(icon, kRecordFile);
      } else {
        DWORD error = GetLastError();
        log_.LogFormat(u"Failed to install uninstaller icon to %s\r\n%s\r\n", {icon, SystemErrorText(error)});
      }
    }
    r.InStartMenu = flags & kOptUninstallShortcut;
    r.OnDesktop = s_.OptionFlags2 & kOpt2DesktopUninstallShortcut;
    if (s_.OptionFlags2 & kOpt2UninstallFolderShortcut) r.OtherFolder = run_.UninstallDir;
    if (r.InStartMenu || r.OnDesktop || !r.OtherFolder.empty()) list.push_back(std::move(r));
  }
  if (s_.OptionFlags2 & kOpt2ExtraStartMenuShortcut) {
    ShortcutRecord r;
    r.Target = JoinPath(run_.UninstallDir, u"Install.log");
    r.Name = Text(kMsgLogShortcutName);
    r.InStartMenu = true;
    list.push_back(std::move(r));
  }
}

void ShortcutPhase::ProcessList(const std::vector<ShortcutRecord>& list) {
  if ((run_.ArchiveFlags(e_.header()) & kArcNoStartMenuOnRemovable) && run_.removable_destination) return;
  if (list.empty()) return;
  InstallValues values = CurrentInstallValues();
  // An empty desktop folder takes the product's name when asked; the folder
  // is then the desktop's subfolder of that name, never the desktop itself.
  if (values.desktop_folder.empty() && (run_.ArchiveFlags(e_.header()) & kArcDesktopFolderFromProduct))
    values.desktop_folder = s_.ProductName;
  if (!values.desktop_folder.empty()) desktop_folder_ = VariableValue(kVarDesktopShortcuts, values);
  if (Verbose()) log_.LogText(u"\r\n");
  for (const ShortcutRecord& r : list) Process(r);
}

void ShortcutPhase::Process(ShortcutRecord r) {
  r.Arguments = Expand(r.Arguments);
  r.WorkingFolder = TrimWorkingFolder(Expand(r.WorkingFolder));
  if (r.WorkingFolder.empty() || !FolderExists(r.WorkingFolder)) r.WorkingFolder = run_.InstallDir;
  ProgramSplit split;
  if (SplitTildeArguments(r.Arguments, split)) {
    r.Target = split.program;
    r.Arguments = split.arguments;
  }
  if (r.ExpandTarget) r.Target = Expand(r.Target);
  if (r.Target.find(u':') == std::u16string::npos) r.Target = JoinPath(run_.InstallDir, r.Target);
  // Icons may name folder variables like every other path of the settings.
  r.Icon = Expand(r.Icon);
  if (!r.Icon.empty() && !IsAbsolutePath(r.Icon)) r.Icon = JoinPath(run_.UninstallDir, r.Icon);
  if (r.Name.empty()) r.Name = FormatText(Text(kMsgDefaultShortcutName), {FileNameOfPath(r.Target)});
  unsigned flags = ShortcutFlags(s_.ShortcutMode, r.WindowState);
  ShortcutFields fields{r.Target, r.Arguments, r.WorkingFolder, r.Icon};

  if (r.OnDesktop) {
    if (!desktop_folder_.empty()) {
      PrepareDesktopFolder();
      Place(r, ShortcutPlace::kDesktopFolder, CreateShortcutAt(JoinPath(desktop_folder_, r.Name), fields, flags),
            u"Desktop Folder Shortcut(%s) >>> %s\r\n");
    } else {
      Place(r, ShortcutPlace::kDesktop, CreateDesktopShortcut(folders_, r.Name, fields, flags),
            u"Desktop Shortcut(%s) >>> %s\r\n");
    }
  }
  if (r.InStartMenu) {
    std::u16string start_menu = run_.StartMenuFolder.empty() ? s_.ProductStartMenu : run_.StartMenuFolder;
    Place(r, ShortcutPlace::kStartMenu, CreateStartMenuShortcut(folders_, JoinPath(start_menu, r.Name), fields, flags),
          u"Start Menu Shortcut(%s) >>> %s\r\n");
  }
  if (r.InStartup) {
    Place(r, ShortcutPlace::kStartup,
          CreateShortcutAt(JoinPath(StartupFolder(folders_, flags), r.Name), fields, flags),
          u"Startup Shortcut(%s) >>> %s\r\n");
  }
  if (!r.OtherFolder.empty()) {
    Place(r, ShortcutPlace::kOtherFolder, CreateShortcutAt(JoinPath(Expand(r.OtherFolder), r.Name), fields, flags),
          u"Shortcut(%s) >>> %s\r\n");
  }
}

void ShortcutPhase::Place(const ShortcutRecord& r, ShortcutPlace place, const PlacedShortcut& placed,
                          const char16_t* label) {
  const std::u16string& path = placed.paths.front();
  if (!placed.saved()) {
    DWORD error = GetLastError();
    if (!r.Quiet) ShortcutFailure(path, error);
  } else {
    if (Verbose()) log_.LogFormat(label, {r.Name, path});
    RemovalRecords records = RemovalFor(place, r.KeepOnUninstall, r.Name);
    for (const std::u16string& file : placed.paths) {
      if (records.file) Record(file, kRecordFile);
      // Every subfolder the name reaches into, the innermost first, so each is
      // empty when its turn comes.
      if (!records.folder) continue;
      std::u16string folder = FolderOfPath(file);
      Record(folder, kRecordFolder);
      if (place == ShortcutPlace::kOtherFolder) continue;
      for (size_t n = std::count(r.Name.begin(), r.Name.end(), u'\\'); n > 1; --n) {
        folder = FolderOfPath(folder);
        Record(folder, kRecordFolder);
      }
    }
  }
  if (!(s_.OptionFlags2 & kOpt2FixedProgressText)) StatusText(path);
}

void ShortcutPhase::ShortcutFailure(const std::u16string& path, DWORD error) {
  log_.AddFileFailure(Text(kMsgFileNotWritten), path, SystemErrorText(error));
}

// Once per run: the folder, its Desktop.ini and its icon.
void ShortcutPhase::PrepareDesktopFolder() {
  if (!first_desktop_folder_) return;
  first_desktop_folder_ = false;
  if (!CreateFolderTree(desktop_folder_)) {
    DWORD error = GetLastError();
    log_.AddFailure(FormatText(u"Failed to create directory %s: %s\r\n\r\n",
                               {desktop_folder_, FolderFailureReason(desktop_folder_, error)}));
  }
  std::u16string ini = JoinPath(desktop_folder_, u"Desktop.ini");
  Record(ini, kRecordFile);
  Record(desktop_folder_, kRecordFolder);
  if (s_.DesktopFolderIcon.empty()) return;
  std::u16string icon = JoinPath(run_.UninstallDir, u"Desktop Icon.ico");
  if (!WriteWholeFile(icon, s_.DesktopFolderIcon)) {
    log_.AddFailure(FormatText(u"Failed to create Desktop shortcut folder icon \"%s\"\r\n", {icon}));
    return;
  }
  WritePrivateProfileStringW(L".ShellClassInfo", L"IconFile", W(icon), W(ini));
  WritePrivateProfileStringW(L".ShellClassInfo", L"IconIndex", L"0", W(ini));
  Record(icon, kRecordFile);
  DWORD attributes = GetFileAttributesW(W(desktop_folder_));
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(W(desktop_folder_), attributes | FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesW(W(ini), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

// On a removable destination a shortcut on the drive's root starts the product.
void ShortcutPhase::RootShortcut() {
  if (!run_.removable_destination || s_.RootShortcutTarget.empty()) return;
  std::u16string target = Expand(s_.RootShortcutTarget);
  std::u16string name = Expand(ReplacePlaceholders(Utf8ToUtf16(s_.RootShortcutName), s_, e_.windows_folder));
  std::u16string drive = DriveLetterOf(run_.InstallDir);
  if (drive.empty()) return;
  std::u16string path = drive + u":\\" + name + u".lnk";
  ProgramSplit split = SplitRootTarget(target);
  PlacedShortcut placed = CreateShortcutAt(path, {split.program, split.arguments, run_.InstallDir, {}}, 0);
  if (placed.result == LinkSave::kCrashed) {
    log_.AddFailure(u"Crash while installing root shortcut.\r\n");
  } else if (placed.saved()) {
    if (Verbose()) log_.LogFormat(u"Root Shortcut(%s) >>> %s\r\n", {name, placed.paths.front()});
    Record(placed.paths.front(), kRecordFile);
  } else {
    ShortcutFailure(placed.paths.front(), GetLastError());
  }
}

// Windows 7 and 8 pin through the shell verb on a shortcut; the pinned copy
// lands in the user's TaskBar folder under the shortcut's name.
void ShortcutPhase::TaskbarPin() {
  if (s_.TaskbarPinTarget.empty() || run_.removable_destination || !TaskbarPinSupported(GatherOsFacts())) return;
  ProgramSplit split = SplitPinTarget(Expand(s_.TaskbarPinTarget));
  std::u16string name = s_.TaskbarPinName.empty()
                            ? s_.ProductName
                            : Expand(ReplacePlaceholders(s_.TaskbarPinName, s_, e_.windows_folder));
  StatusText(u"Pin to taskbar");
  PlacedShortcut placed = CreateShortcutAt(JoinPath(folders_.temp, name), {split.program, split.arguments, {}, {}}, 0);
  if (placed.result == LinkSave::kCrashed) {
    log_.AddFailure(u"Crash while pinning to taskbar.\r\n");
    return;
  }
  if (!placed.saved()) {
    ShortcutFailure(placed.paths.front(), GetLastError());
    return;
  }
  const std::u16string& link = placed.paths.front();
  HINSTANCE result = nullptr;
  DWORD error = 0;
  GuardedCall call = CallGuarded([&] {
    result = ShellExecuteW(nullptr, L"taskbarpin", W(link), nullptr, nullptr, SW_SHOWNORMAL);
    error = GetLastError();
  });
  // ShellExecuteW answers with a small code of its own when it leaves no error.
  if (error == 0) error = DWORD(reinterpret_cast<INT_PTR>(result));
  DeleteFileW(W(link));
  if (call.crashed) {
    log_.AddFailure(u"Crash while pinning to taskbar.\r\n");
    return;
  }
  bool pinned = reinterpret_cast<INT_PTR>(result) > 32;
  log_.LogFormat(u"Pin to taskbar(%s): %s\r\n", {split.program, pinned ? u"OK" : u"FAIL"});
  if (!pinned) {
    log_.LogConcat({SystemErrorText(error), u"\r\n"});
    return;
  }
  // Recorded only when the pin took: a pin of the same name that the user
  // made earlier is not the product's to remove.
  Record(JoinPath(JoinPath(folders_.app_data, u"Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar"),
                  name + u".lnk"),
         kRecordFile);
}

}  // namespace

void CreateShortcuts(InstallRun& run) {
  EngineState& e = Engine();
  ShortcutPhase phase(run);
  // The settings' list first, then the payload's files, then the uninstaller's own.
  std::vector<ShortcutRecord> list;
  for (const ShortcutEntry& entry : e.settings().ShortcutList) list.push_back(RecordFromEntry(entry));
  list.insert(list.end(), run.payload.shortcuts.begin(), run.payload.shortcuts.end());
  phase.AddUninstallerShortcuts(list);
  run.payload.shortcuts = list;
  phase.ProcessList(list);
  phase.RootShortcut();
  phase.TaskbarPin();
  Status(kMsgShortcutsDone);
  Progress(kShortcutsEndProgress);
}

}  // namespace ks
