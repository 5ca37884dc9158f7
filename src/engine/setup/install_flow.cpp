// The installation run.
#include "setup/install_flow.h"

#include <windows.h>

#include "core/os_name.h"
#include "core/restore_point.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/folder_rights.h"
#include "install/folder_tree.h"
#include "install/path_entry.h"
#include "install/payload_install.h"
#include "portable/install_rules.h"
#include "portable/path_entry.h"
#include "portable/path_rules.h"
#include "portable/settings_codec.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "portable/version.h"
#include "script/folder_variables.h"
#include "setup/close_programs.h"
#include "setup/corrupt.h"
#include "setup/create_shortcuts.h"
#include "setup/destination.h"
#include "setup/engine_sink.h"
#include "setup/engine_state.h"
#include "setup/exit.h"
#include "setup/finish.h"
#include "setup/firewall_exceptions.h"
#include "setup/install_batches.h"
#include "setup/install_notification.h"
#include "setup/messages.h"
#include "setup/register_components.h"
#include "setup/registry_entries.h"
#include "setup/run_context.h"
#include "setup/run_values.h"
#include "setup/system_checks.h"
#include "ui/message_box.h"
#include "ui/pages.h"
#include "uninstall/uninstall_data_file.h"

namespace ks {
namespace {

void VerifyEngine(InstallRun& run) {
  run.archive->VerifyEngine(Engine().settings());
  run.uninstaller_size = run.archive->UninstallerSize();
  // Button images need the newer common controls: NT 6, or the 5.2 servers.
  OsFacts os = GatherOsFacts();
  if (!(os.platform_id == 2 && (os.major >= 6 || (os.major == 5 && os.minor == 2 && os.product_type != 1))))
    run.button_images = false;
}

void ChooseLanguage(InstallRun& run) {
  const EngineState& e = Engine();
  if (e.settings().LanguageNames.size() == 1 || e.AutomaticMode) return;
  int language = run.language;
  if (!run.wizard->Language(language)) OrderlyExit(ExitCode::kCancelled);
  run.language = language;
}

void Greet(InstallRun& run) {
  const EngineState& e = Engine();
  if (!e.AutomaticMode && !(e.settings().OptionFlags2 & kOpt2NoGreeting) && !run.wizard->Greeting())
    OrderlyExit(ExitCode::kCancelled);
}

void AskPassword(InstallRun& run) {
  const EngineState& e = Engine();
  const Settings& s = e.settings();
  // The password page has no silent form: /a must not let anyone past it.
  if (!s.Password.empty() && !run.wizard->Password(s.Password)) Abort();
}

void ShowTextPages(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  if (e.AutomaticMode) return;
  Wizard& wizard = *run.wizard;
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

// Shown in silent runs too when asked for: it only reports.
void ShowProgressPage(InstallRun&) {
  if (!(Engine().settings().OptionFlags2 & kOpt2ProgressPage)) return;
  OpenProgressPage();
  AddExitStep([] { CloseProgressPage(); });
}

void OpenLog(InstallRun&) {
  EngineState& e = Engine();
  e.log_active = e.log.Open(e.settings().OptionFlags);
}

void RestorePoint(InstallRun& run) {
  EngineState& e = Engine();
  if (!run.restore_point) return;
  Status(97);
  e.log.LogText(u"Creating restore point...");
  std::u16string description = e.settings().ProductName;
  if (!e.settings().ProductVersion.empty()) description += u" " + e.settings().ProductVersionW;
  std::u16string reason;
  if (BeginRestorePoint(description, &reason)) {
    e.log.LogText(u"OK\r\n");
    run.restore_point_open = true;
  } else {
    e.log.LogText(u"FAILED\r\n" + reason + u"\r\n\r\n");
    run.restore_point = false;
  }
}

// Full access for Everyone; logged, never fatal.
void GrantRightsLogged(const std::u16string& folder) {
  InstallLog& log = Engine().log;
  log.LogConcat({u"Granting rights to directory \"", folder, u"\"..."});
  DWORD code = GrantFolderRights(folder);
  if (code == ERROR_SUCCESS) {
    log.LogText(u"OK\r\n");
  } else {
    log.LogConcat({u"FAILED code ", Widen(std::to_string(code)), u": ", SystemErrorText(code), u"\r\n\r\n"});
  }
}

void PrepareFolders(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  Status(113);
  Progress(1);
  run.UninstallDir = s.UninstallSubdir.empty() ? run.InstallDir : JoinPath(run.InstallDir, s.UninstallSubdir);
  if (!s.UninstallSubdir.empty() && !CreateFolderTree(run.UninstallDir)) {
    DWORD error = GetLastError();
    e.log.LogText(u"Failed to create uninstall data folder \"" + run.UninstallDir + u"\": " +
                  FolderFailureReason(run.UninstallDir, error) + u"\r\n");
  }
  if (s.OptionFlags2 & kOpt2FolderRights) GrantRightsLogged(run.InstallDir);

  run.SharedPath.clear();
  if (s.OptionFlags & kOptUninstaller) {
    if (!s.SharedPathOnRemovable.empty() && run.removable_destination) {
      run.SharedPath = JoinPath(run.InstallDir, s.SharedPathOnRemovable);
    } else if (!s.SharedPath.empty()) {
      std::u16string base;
      switch (s.SharedFolderBase) {
        case 1: base = VariableValue(kVarAppDataAllDir, CurrentInstallValues()); break;
        case 2: base = CommonFilesFolder(1); break;
        case 3: base = CommonFilesFolder(2); break;
        default: base = s.Bitness == 1 ? CommonFilesFolder(2) : CommonFilesFolder(3); break;
      }
      run.SharedPath = JoinPath(base, s.SharedPath);
    }
    // The folder is made up front only when it is to get its access rights;
    // otherwise the first file that goes there makes it, so a product without
    // shared files leaves no empty folder below Common Files.
    if (!run.SharedPath.empty() && (s.OptionFlags2 & kOpt2SharedFolderRights)) {
      if (CreateFolderTree(run.SharedPath)) {
        GrantRightsLogged(run.SharedPath);
      } else {
        DWORD error = GetLastError();
        e.log.LogText(u"Failed to create shared folder \"" + run.SharedPath + u"\": " +
                      FolderFailureReason(run.SharedPath, error) + u"\r\n");
      }
    }
  }

  if (!run.required_space) run.required_space = RequiredSpaceNow(run);
  if ((s.OptionFlags2 & kOpt2NoRegistrationOnRemovable) && run.removable_destination) run.registers_uninstaller = false;
}

// The value that named the earlier folder goes with the product (ArchiveFlags 0x2000).
void RecordEarlierFolderValue(InstallRun& run) {
  if (!run.install_dir_value_to_record.empty())
    run.uninstall_data.RecordItem(run.install_dir_value_to_record, kRecordRegistryValue);
}

void RunPreInstallBatches(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  uint32_t flags = e.header().ArchiveFlags;
  RunInstallBatch(PreInstallBatchRequest(s, flags, e.command_line.BatchAdditions[0]));
  if (run.InstallType == kInstallUpgrade) RunInstallBatch(UpgradeBatchRequest(s, flags));
  if (run.earlier.exists && (run.InstallType == kInstallSame || !(flags & kArcReinstallSameVersionOnly)))
    RunInstallBatch(ReinstallBatchRequest(s, flags));
}

void InstallFiles(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  SetupArchive& archive = *run.archive;
  Status(8);
  Progress(2);

  InstallContext context = RunInstallContext(run);
  EngineSink sink(archive, run);
  WaitSinceStatus(s.MinStatusTime);
  if (run.cancel_requested) Abort();  // confirmed on the progress page during the wait
  int code = InstallPayload(context, sink, run.payload);
  if (code == kPayloadCancelled) Abort();
  if (code != 0) CorruptInstaller(code);
  WaitSinceStatus(s.MinStatusTime);
  // Added to, never replaced: the delete list may already have asked for the restart.
  if (context.OptionFlags & kOptRestartRequired) run.restart_required = true;
}

// The installation, in its fixed order. What a phase decides or produces
// stays in the run for the phases after it.
using Phase = void (*)(InstallRun&);
constexpr Phase kInstallPhases[] = {
    SendStartNotification, VerifyEngine, ChooseLanguage,
    CheckBitness, CheckExcludedSystems, CheckRequiredProduct, AcquireSingleInstance, FindEarlierInstallation,
    Greet, AskPassword, ShowTextPages, ClosePrograms, ChooseDestination, ChooseStartMenu,
    ShowProgressPage, OpenLog, RestorePoint, PrepareFolders, RecordEarlierFolderValue, RunPreInstallBatches,
    InstallFiles, RegisterComponents, CreateShortcuts, WriteRegistryEntries, AddFirewallExceptions,
    FinishInstallation};

}  // namespace

void RunInstallation(SetupArchive& archive, Wizard& wizard) {
  EngineState& e = Engine();
  InstallRun& run = e.run;
  run.Begin(e.settings(), e.header());
  run.archive = &archive;
  run.wizard = &wizard;
  for (Phase phase : kInstallPhases) phase(run);
  OrderlyExit(ExitCode::kInstallEnd);
}

}  // namespace ks
