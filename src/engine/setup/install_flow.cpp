// The installation run.
#include "setup/install_flow.h"

#include <windows.h>

#include "core/os_name.h"
#include "core/restore_point.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/folder_tree.h"
#include "install/payload_install.h"
#include "portable/install_rules.h"
#include "portable/path_rules.h"
#include "portable/settings_codec.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "portable/version.h"
#include "script/folder_variables.h"
#include "setup/close_programs.h"
#include "setup/corrupt.h"
#include "setup/destination.h"
#include "setup/engine_sink.h"
#include "setup/engine_state.h"
#include "setup/exit.h"
#include "setup/messages.h"
#include "setup/run_values.h"
#include "setup/system_checks.h"
#include "uninstall/uninstall_data_file.h"

namespace ks {
namespace {

// Batches are not run by this engine yet. Say so in the log and the failure
// summary instead of pretending a batch ran.
void RunBatch(const std::string& text, const char16_t* label) {
  if (text.empty()) return;
  EngineState& e = Engine();
  std::u16string line = std::u16string(label) + u" was not run: this installer cannot run batches.\r\n";
  e.log.LogText(line);
  e.log.AddFailure(line + u"\r\n");
}

void ShowTextPages(Wizard& wizard) {
  EngineState& e = Engine();
  const Settings& s = e.settings;
  auto pages = [&](const std::vector<Blob>& texts, int extra, bool (Wizard::*page)(const std::string&)) {
    std::vector<std::string> all(texts.begin(), texts.end());
    std::u16string language_text = Text(extra);
    if (!language_text.empty()) {
      std::string utf8 = "\xEF\xBB\xBF" + Utf16ToUtf8(language_text);
      all.push_back(utf8);
    }
    for (const std::string& text : all) {
      if (text.empty()) continue;
      if (!(wizard.*page)(text)) Abort();
    }
  };
  pages(s.LicenseTexts, 63, &Wizard::License);
  pages(s.ReadmeTexts, 64, &Wizard::Readme);
}

void RestorePoint() {
  EngineState& e = Engine();
  if (!(e.header.ArchiveFlags & kArcRestorePoint)) return;
  Status(97);
  e.log.LogText(u"Creating restore point...");
  std::u16string description = e.settings.ProductName;
  if (!e.settings.ProductVersion.empty()) description += u" " + e.settings.ProductVersionW;
  std::u16string reason;
  if (BeginRestorePoint(description, &reason)) {
    e.log.LogText(u"OK\r\n");
    e.restore_point_open = true;
  } else {
    e.log.LogText(u"FAILED\r\n" + reason + u"\r\n\r\n");
    e.header.ArchiveFlags &= ~uint32_t(kArcRestorePoint);
  }
}

void PrepareFolders() {
  EngineState& e = Engine();
  Settings& s = e.settings;
  Status(113);
  Progress(1);
  e.UninstallDir = s.UninstallSubdir.empty() ? e.InstallDir : JoinPath(e.InstallDir, s.UninstallSubdir);
  if (!s.UninstallSubdir.empty() && !CreateFolderTree(e.UninstallDir)) {
    DWORD error = GetLastError();
    e.log.LogText(u"Failed to create uninstall data folder \"" + e.UninstallDir + u"\": " +
                  FolderFailureReason(e.UninstallDir, error) + u"\r\n");
  }

  e.SharedPath.clear();
  if (s.OptionFlags & kOptUninstaller) {
    if (!s.SharedPathOnRemovable.empty() && e.removable_destination) {
      e.SharedPath = JoinPath(e.InstallDir, s.SharedPathOnRemovable);
    } else if (!s.SharedPath.empty()) {
      std::u16string base;
      switch (s.SharedFolderBase) {
        case 1: base = VariableValue(kVarAppDataAllDir, CurrentInstallValues()); break;
        case 2: base = CommonFilesFolder(1); break;
        case 3: base = CommonFilesFolder(2); break;
        default: base = s.Bitness == 1 ? CommonFilesFolder(2) : CommonFilesFolder(3); break;
      }
      e.SharedPath = JoinPath(base, s.SharedPath);
    }
    if (!e.SharedPath.empty() && !CreateFolderTree(e.SharedPath)) {
      DWORD error = GetLastError();
      e.log.LogText(u"Failed to create shared folder \"" + e.SharedPath + u"\": " +
                    FolderFailureReason(e.SharedPath, error) + u"\r\n");
    }
  }

  if (!e.required_space) e.required_space = RequiredSpaceNow();
  if ((s.OptionFlags2 & kOpt2NoRegistrationOnRemovable) && e.removable_destination)
    s.OptionFlags &= ~uint32_t(kOptUninstaller);
}

void RunPreInstallBatches() {
  EngineState& e = Engine();
  const Settings& s = e.settings;
  std::string pre = s.PreInstallBatch;
  if (!pre.empty() && !(pre.size() >= 2 && pre.compare(pre.size() - 2, 2, "\r\n") == 0)) pre += "\r\n";
  pre += e.command_line.BatchAdditions[0];
  RunBatch(pre, u"Pre-Installation Batch");
  if (e.InstallType == kInstallUpgrade) RunBatch(s.UpgradeBatch, u"Upgrade Batch");
  if (e.earlier.exists && (e.InstallType == kInstallSame || !(e.header.ArchiveFlags & kArcReinstallSameVersionOnly)))
    RunBatch(s.ReinstallBatch, u"Reinstall Batch");
}

void InstallFiles(SetupArchive& archive) {
  EngineState& e = Engine();
  const Settings& s = e.settings;
  Status(8);
  Progress(2);

  InstallContext context;
  context.InstallDir = e.InstallDir;
  context.SharedDir = e.SharedPath;
  context.UninstallDir = e.UninstallDir;
  context.FontsDir = VariableValue(kVarFontDir, CurrentInstallValues());
  context.SystemDir = VariableValue(kVarSystemDir, CurrentInstallValues());
  context.WindowsDir = e.windows_folder;
  context.InstallOnRemovable = e.removable_destination;
  context.SharedPathOnRemovable = s.SharedPathOnRemovable;
  context.OptionFlags = s.OptionFlags;
  context.OptionFlags2 = s.OptionFlags2;
  context.ArchiveFlags = e.header.ArchiveFlags;
  context.FileSizes = e.header.FileSizes;
  context.Cipher = archive.Cipher();

  EngineSink sink(archive);
  WaitSinceStatus(s.MinStatusTime);
  PayloadLists lists;
  int code = InstallPayload(context, sink, lists);
  if (code != 0) CorruptInstaller(code);
  WaitSinceStatus(s.MinStatusTime);
  e.settings.OptionFlags = context.OptionFlags;  // the restart bit
}

void Finish() {
  EngineState& e = Engine();
  Settings& s = e.settings;
  Progress(100);
  Status(36);
  if (s.OptionFlags & kOptUninstaller) {
    std::u16string path = JoinPath(e.UninstallDir, kUninstallDataFileName);
    e.uninstall_data.auto_close = AutoCloseFromSettings(e.settings.CloseList);
    e.uninstall_data.SetMessages([](int n) { return Text(n); }, Text(0));
    if (!WriteUninstallData(path, e.uninstall_data)) {
      DWORD error = GetLastError();
      e.log.AddFileFailure(Text(kMsgFileNotWritten), path, SystemErrorText(error));
    }
  }
  if (e.restore_point_open && !EndRestorePoint()) e.log.LogText(u"Failed to commit restore point.\r\n");
  if (e.command_line.RunProgram) e.log.LogConcat({u"Launch on exit: ", *e.command_line.RunProgram, u"\r\n"});

  LogFinish finish;
  finish.product_name = s.ProductName;
  finish.product_version = s.ProductVersionW;
  finish.install_folder = e.InstallDir;
  finish.uninstall_subdir = s.UninstallSubdir;
  finish.earlier_installation = e.earlier.exists;
  finish.old_version = SystemCodePage().ToWide(e.earlier.DisplayVersion);
  finish.option_flags = s.OptionFlags;
  finish.option_flags2 = s.OptionFlags2;
  finish.silent = e.AutomaticMode;
  finish.finish_items = !s.FinishText1.empty() || !s.FinishText2.empty() || !s.FinishText3.empty();
  finish.reboot_required = s.OptionFlags & kOptRestartRequired;
  finish.text = [](int n) { return Text(n); };
  // "Reinstall" means the same version again, whether or not the settings
  // asked to classify the installation.
  bool reinstall = e.earlier.exists && !e.earlier.DisplayVersion.empty() &&
                   CompareVersions(e.earlier.DisplayVersion, s.ProductVersion) == 0;
  e.log.FinishLog(finish, reinstall, !e.AutomaticMode);
  e.log_active = false;
}

}  // namespace

void RunInstallation(SetupArchive& archive, Wizard& wizard) {
  EngineState& e = Engine();
  Settings& s = e.settings;

  archive.VerifyEngine(s);
  e.uninstaller_size = archive.UninstallerSize();
  // Button images need the newer common controls: NT 6, or the 5.2 servers.
  OsFacts os = GatherOsFacts();
  if (!(os.platform_id == 2 && (os.major >= 6 || (os.major == 5 && os.minor == 2 && os.product_type != 1))))
    e.header.ArchiveFlags &= ~uint32_t(kArcButtonImages);

  if (s.LanguageNames.size() != 1 && !e.AutomaticMode) {
    int language = s.CurrentLanguage;
    if (!wizard.Language(language)) OrderlyExit(1);
    s.CurrentLanguage = language;
  }
  CheckBitness();
  CheckExcludedSystems();
  CheckRequiredProduct();
  AcquireSingleInstance();
  FindEarlierInstallation();
  if (!e.AutomaticMode && !(s.OptionFlags2 & kOpt2NoGreeting) && !wizard.Greeting()) OrderlyExit(1);
  // The password page has no silent form: /a must not let anyone past it.
  if (!s.Password.empty() && !wizard.Password(s.Password)) Abort();
  if (!e.AutomaticMode) ShowTextPages(wizard);
  ClosePrograms();
  ChooseDestination(wizard);
  ChooseStartMenu(wizard);

  e.log_active = e.log.Open(s.OptionFlags);
  RestorePoint();
  PrepareFolders();
  if (!e.install_dir_value_to_record.empty()) e.uninstall_data.RecordItem(e.install_dir_value_to_record, kRecordRegistryValue);
  RunPreInstallBatches();
  InstallFiles(archive);
  Finish();
  OrderlyExit(1);
}

}  // namespace ks
