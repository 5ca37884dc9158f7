// The product's place on disk.
#include "setup/destination.h"

#include <windows.h>

#include "core/file.h"
#include "core/file_access.h"
#include "core/process.h"
#include "core/registry_key.h"
#include "core/wide.h"
#include "install/folder_tree.h"
#include "portable/install_rules.h"
#include "portable/path_rules.h"
#include "portable/settings_codec.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "portable/version.h"
#include "script/folder_variables.h"
#include "setup/engine_state.h"
#include "setup/exit.h"
#include "setup/messages.h"
#include "setup/run_values.h"
#include "setup/system_checks.h"
#include "ui/wizard.h"

namespace ks {
namespace {

constexpr size_t kMaxRegistryPath = 4096;

std::u16string Capped(std::u16string s) {
  if (s.size() > kMaxRegistryPath) s.resize(kMaxRegistryPath);
  return s;
}

bool OpenProductKey(RegistryKey& key) {
  const Settings& s = Engine().settings();
  return Opened(key.Open(HKEY_LOCAL_MACHINE, std::u16string(kUninstallKey) + u"\\" + s.UninstallKeyName,
                         kRegOpenOnly | kRegView64 | kRegNoStack, kRegRead));
}

std::u16string DriveRoot(const std::u16string& p) { return p.substr(0, 2) + u"\\"; }

bool IsRemovableDrive(const std::u16string& path) {
  if (!HasDriveLetter(path)) return false;
  UINT type = GetDriveTypeW(W(DriveRoot(path)));
  return type == DRIVE_REMOVABLE || type == DRIVE_CDROM || type == DRIVE_RAMDISK;
}

int ProgramFilesModeOfProduct() {
  switch (Engine().settings().Bitness) {
    case 1: return 2;  // 64-bit
    case 2: return 1;  // 32-bit
    default: return 3;
  }
}

uint64_t ComputeRequiredSpace(const InstallRun& run, const std::u16string& folder) {
  const EngineState& e = Engine();
  DWORD sectors = 0, bytes = 0, free_clusters = 0, clusters = 0;
  uint32_t cluster = 0;
  if (HasDriveLetter(folder) && GetDiskFreeSpaceW(W(DriveRoot(folder)), &sectors, &bytes, &free_clusters, &clusters))
    cluster = sectors * bytes;
  return RequiredSpace(run.uninstaller_size, e.header().FileSizes, cluster, e.settings().ExtraSpace);
}

std::u16string SizeText(uint64_t bytes) {
  std::string digits = std::to_string(bytes);
  return std::u16string(digits.begin(), digits.end());
}

// Creates the folder and proves it writable; false after telling the user.
bool MakeFolderReady(InstallRun& run, const std::u16string& folder) {
  run.created_folders.clear();
  for (std::u16string missing = folder; !missing.empty() && !FolderExists(missing);) {
    run.created_folders.push_back(missing);
    size_t slash = missing.find_last_of(u'\\');
    if (slash == std::u16string::npos || slash < 3) break;
    missing.resize(slash);
  }
  if (!CreateFolderTree(folder)) {
    DWORD error = GetLastError();
    ErrorBox(Text(25) + u" " + FolderFailureReason(folder, error));
    return false;
  }
  File probe;
  if (probe.Open(folder, NameSource(kNameTempInFolder) | kOpenCreateNew) != FileError::kOk) {
    ErrorBox(FormatText(Text(73), {folder}));
    return false;
  }
  std::u16string probe_path = probe.Path();
  probe.Close();
  DeleteFileW(W(probe_path));
  return true;
}

// The tests a folder from the page must pass; false shows the page again.
bool FolderPassesTests(InstallRun& run, std::u16string& folder) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  if (folder.empty()) return false;
  if (folder.size() > 1 && folder.back() == u'\\') folder.pop_back();
  if (!IsValidPath(std::u16string_view(folder), 0) || !IsAbsolutePath(std::u16string_view(folder))) {
    ErrorBox(Text(14) + u"\r\n\r\n" + folder);
    return false;
  }
  if (HasDriveLetter(folder)) {
    DWORD drives = GetLogicalDrives();
    int index = AsciiUpper(folder[0]) - u'A';
    if (!(drives & (1u << index))) {
      ErrorBox(FormatText(Text(16), {folder.substr(0, 1)}));
      return false;
    }
  }
  if ((s.OptionFlags2 & kOpt2NoNetworkPath) &&
      (folder.rfind(u"\\\\", 0) == 0 || (HasDriveLetter(folder) && GetDriveTypeW(W(DriveRoot(folder))) == DRIVE_REMOTE))) {
    ErrorBox(Text(66));
    return false;
  }
  if (folder.size() <= 3) {
    ErrorBox(Text(17));
    return false;
  }
  if (EqualsNoCase(folder, ProgramFilesFolder(1)) || EqualsNoCase(folder, ProgramFilesFolder(2))) {
    ErrorBox(FormatText(Text(18), {folder}));
    return false;
  }
  if ((s.OptionFlags2 & kOpt2RefuseRemovable) && IsRemovableDrive(folder)) {
    ErrorBox(FormatText(Text(96), {folder.substr(0, 1)}));
    return false;
  }
  if (e.header().ArchiveFlags & kArcFolderNameTest) {
    size_t start = HasDriveLetter(folder) ? 3 : 2;
    for (size_t pos = start; pos < folder.size();) {
      size_t end = folder.find(u'\\', pos);
      if (end == std::u16string::npos) end = folder.size();
      if (!IsValidFileName(std::u16string_view(folder).substr(pos, end - pos))) {
        ErrorBox(Text(30));
        return false;
      }
      pos = end + 1;
    }
  }
  bool existed = FolderExists(folder);
  run.required_space = ComputeRequiredSpace(run, folder);
  ULARGE_INTEGER free_bytes{};
  if (!existed && !e.AutomaticMode && HasDriveLetter(folder) &&
      GetDiskFreeSpaceExW(W(DriveRoot(folder)), &free_bytes, nullptr, nullptr) &&
      free_bytes.QuadPart < run.required_space) {
    std::u16string text = FormatText(Text(19), {SizeText(run.required_space), SizeText(free_bytes.QuadPart),
                                                 folder.substr(0, 2)});
    if (!Question(text + u"\r\n\r\n" + Text(20), Text(21))) return false;
  }
  if (s.OptionFlags & kOptConfirmFolder) {
    if (!Question(FormatText(Text(existed ? 22 : 23), {folder}), Text(24))) return false;
  }
  return MakeFolderReady(run, folder);
}

[[noreturn]] void HandBackToUninstaller(Wizard& wizard, RegistryKey& key) {
  EngineState& e = Engine();
  e.AutomaticMode = false;  // the must-uninstall page is always shown
  std::u16string command = key.ReadValueText(u"QuietUninstallString", u"");
  if (command.empty()) command = key.ReadValueText(u"UninstallString", u"");
  if (command.empty()) ErrorExit(Text(9));
  if (wizard.MustUninstall()) {
    // The uninstaller starts this installer again when it has finished.
    std::u16string own = U16(GetCommandLineW());
    for (char16_t& c : own)
      if (c == u'"') c = u'`';
    Launch(command + u" /r:\"" + own + u"\"", 0);
  }
  // Not installed by this run: the earlier product's uninstaller goes first.
  OrderlyExit(ExitCode::kRefused);
}

}  // namespace

void FindEarlierInstallation(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  if (!(s.OptionFlags & kOptUninstaller)) return;
  RegistryKey key;
  if (OpenProductKey(key)) {
    run.earlier.InstallLocation = Capped(key.ReadValueText(u"InstallLocation", u""));
    run.earlier.DisplayVersion = SystemCodePage().FromWide(key.ReadValueText(u"DisplayVersion", u""));
    run.earlier.SharedFiles = key.ReadValueText(u"SharedFiles", u"");
    run.counted_files = run.earlier.SharedFiles;
    run.earlier.ProductStartMenu = Capped(key.ReadValueText(u"ProductStartMenu", u""));
  }
  if (run.earlier.InstallLocation.empty() && !s.InstallDirRegistryValue.empty()) {
    std::u16string value_path = SystemCodePage().ToWide(s.InstallDirRegistryValue);
    run.earlier.InstallLocation = Capped(RegistryKey::ReadString(value_path, u"", kRegView64));
    if (e.header().ArchiveFlags & kArcRecordInstallDirValue) run.install_dir_value_to_record = value_path;
  }
  run.earlier.exists = !run.earlier.InstallLocation.empty() && FolderExists(run.earlier.InstallLocation);
}

void ChooseDestination(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  Wizard& wizard = *run.wizard;
  const std::u16string& default_dir = run.DefaultInstallDir;

  // The folder named by a registry value: no page.
  if (InstallDirFromRegistry(default_dir)) {
    std::u16string folder = RegistryKey::ReadString(u"\\" + default_dir, u"", kRegView64);
    if (folder.empty())
      ErrorExit(FormatText(u"Failed to obtain installation path from \"%s\"", {default_dir}));
    folder = Expand(folder);
    if (!FolderExists(folder))
      ErrorExit(FormatText(u"Installation path \"%s\" obtained from \"%s\" does not exist.", {folder, default_dir}));
    run.InstallDir = folder;
  } else if ((s.OptionFlags & kOptUninstaller) && run.earlier.exists) {
    RegistryKey key;
    OpenProductKey(key);
    if ((s.OptionFlags & kOptMustUninstall) &&
        (s.MustUninstallBelow.empty() || CompareVersions(run.earlier.DisplayVersion, s.MustUninstallBelow) < 0))
      HandBackToUninstaller(wizard, key);
    std::string no_downgrade = SystemCodePage().FromWide(key.ReadValueText(u"NoDowngradeBelow", u""));
    if (!no_downgrade.empty() && CompareVersions(s.ProductVersion, no_downgrade) < 0)
      ErrorExit(FormatText(Text(106), {SystemCodePage().ToWide(no_downgrade)}));
    run.InstallType =
        ClassifyInstallation(s.OptionFlags2 & kOpt2CompareVersions, run.earlier.DisplayVersion, s.ProductVersion);
    if (!e.AutomaticMode && !(s.OptionFlags & kOptNoInstallTypeQuestion)) {
      if (!Question(Text(run.InstallType) + u"\r\n" + run.earlier.InstallLocation + u"\r\n\r\n" + Text(7), Text(2)))
        Abort();
      if ((s.OptionFlags2 & kOpt2ConfirmUpgrade) && !run.earlier.DisplayVersion.empty() &&
          (s.ConfirmUpgradeBelow.empty() || CompareVersions(run.earlier.DisplayVersion, s.ConfirmUpgradeBelow) < 0) &&
          !Question(Text(72), Text(20)))
        OrderlyExit(ExitCode::kCancelled);
    }
    run.InstallDir = run.earlier.InstallLocation;
  } else {
    std::u16string folder;
    if (e.command_line.InstallDir) {
      folder = *e.command_line.InstallDir;
    } else {
      folder = Expand(ReplacePlaceholders(default_dir, s, e.windows_folder));
      if (!folder.empty() && !IsAbsolutePath(std::u16string_view(folder)))
        folder = JoinPath(ProgramFilesFolder(ProgramFilesModeOfProduct()), folder);
    }
    if (!e.AutomaticMode && (s.OptionFlags & kOptFolderPage)) {
      for (;;) {
        std::u16string chosen = folder;
        if (!wizard.ChooseFolder(chosen)) Abort();
        if (FolderPassesTests(run, chosen)) { folder = chosen; break; }
        folder = chosen;
      }
    } else {
      if (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
      if (!CreateFolderTree(folder)) {
        DWORD error = GetLastError();
        ErrorExit(Text(25) + u" " + FolderFailureReason(folder, error));
      }
    }
    run.InstallDir = folder;
  }
  run.removable_destination = IsRemovableDrive(run.InstallDir);
}

void ChooseStartMenu(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  if (run.earlier.exists) {
    run.StartMenuFolder = run.earlier.ProductStartMenu.empty() ? s.ProductStartMenu : run.earlier.ProductStartMenu;
    return;
  }
  run.StartMenuFolder = ReplacePlaceholders(s.ProductStartMenu, s, e.windows_folder);
  if (!e.AutomaticMode && (s.OptionFlags2 & kOpt2StartMenuPage) &&
      !(run.removable_destination && (e.header().ArchiveFlags & kArcNoStartMenuOnRemovable)) &&
      !run.wizard->StartMenu(run.StartMenuFolder)) {
    // Nothing is installed yet: leave no empty folder behind either.
    for (const std::u16string& folder : run.created_folders) RemoveDirectoryW(W(folder));
    Abort();
  }
}

uint64_t RequiredSpaceNow(const InstallRun& run) { return ComputeRequiredSpace(run, run.InstallDir); }

uint64_t RequiredSpaceFor(const InstallRun& run, const std::u16string& folder) {
  return ComputeRequiredSpace(run, folder);
}

}  // namespace ks
