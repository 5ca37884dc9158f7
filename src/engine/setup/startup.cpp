// The start-up sequence: process set-up, command line, then the uninstaller or
// the installer archive and settings.
#include "setup/startup.h"

#include <ole2.h>

#include "core/code_page.h"
#include "core/fatal.h"
#include "core/library_loader.h"
#include "core/message_pump.h"
#include "core/privilege.h"
#include "core/wide.h"
#include "net/notification.h"
#include "portable/settings_codec.h"
#include "portable/sum32.h"
#include "script/folder_variables.h"
#include "setup/corrupt.h"
#include "setup/destination.h"
#include "setup/messages.h"
#include "setup/engine_state.h"
#include "setup/exit.h"
#include "setup/install_flow.h"
#include "setup/install_notification.h"
#include "setup/main_window_start.h"
#include "setup/setup_archive.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/pages.h"
#include "ui/ui_env.h"
#include "ui/wizard.h"
#include "uninstall/uninstall_run.h"

namespace ks {
namespace {

// Crash reports are not written yet: a crash ends the run with the fatal exit
// code instead of the system's fault dialog.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS*) {
  ExitProcess(ExitCodeFor(ExitCode::kFatal));
}

std::u16string ModulePath() {
  std::u16string path(MAX_PATH, u'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()), DWORD(path.size()));
    if (n < path.size()) { path.resize(n); return path; }
    path.resize(path.size() * 2);
  }
}

std::u16string FileNamePart(const std::u16string& path) {
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void UsageError(const std::u16string& text) {
  Fatal(UsageMessage(text, FileNamePart(Engine().module_path)));
}

// A 64-bit product turns off file-system redirection for the whole process.
bool DisableRedirection() {
  using Fn = BOOL(WINAPI*)(PVOID*);
  auto fn = SystemProc<Fn>(L"kernel32.dll", "Wow64DisableWow64FsRedirection");
  PVOID old = nullptr;
  return fn && fn(&old);
}

// The pages see the run through UiEnv: its settings, texts in the run's
// language and the few facts they show.
void ConnectWizard() {
  EngineState& e = Engine();
  UiEnv& ui = Ui();
  ui.settings = &e.settings();
  ui.text = [](int n) { return Text(n); };
  ui.language = &e.run.language;
  ui.button_images = [] { return Engine().run.button_images; };
  ui.uninstalling = [] { return Engine().uninstalling; };
  ui.required_space = [](const std::u16string& folder) { return RequiredSpaceFor(Engine().run, folder); };
  ui.abort = [] { Abort(); };
  ui.cancel = [] { Engine().run.cancel_requested = true; };
  ui.large_icon = e.large_icon;
  ui.small_icon = e.small_icon;
}

// The uninstaller has no settings: its dialogs take the default variant and
// the message table saved in the uninstall data file.
void ConnectUninstallerDialogs(UninstallCalls& calls) {
  EngineState& e = Engine();
  e.uninstalling = true;
  UiEnv& ui = Ui();
  ui.uninstalling = [] { return true; };
  ui.large_icon = e.large_icon;
  ui.small_icon = e.small_icon;
  calls.texts = [](std::function<std::u16string(int)> message) { Ui().text = std::move(message); };
  calls.support_offer = [] { return SupportOfferPage() == 1001; };
  calls.show_progress = [] {
    OpenProgressPage();
    AddExitStep([] { CloseProgressPage(); });
  };
  calls.close_progress = [] { CloseProgressPage(); };
  calls.progress = [](int percent) {
    PostProgress(percent);
    static_cast<void>(PumpWaitingMessages());  // its Cancel is disabled: nothing to stop
  };
  calls.status = [](const std::u16string& text) { ShowProgressStatus(text); };
}

}  // namespace

void ReadInstallerSettings(SetupArchive& archive) {
  EngineState& e = Engine();
  Bytes script;
  archive.Open(e.module_path, e.header_, script);

  SettingsReadOptions options;
  options.product_name = e.command_line.ProductName;
  options.windows_folder = e.windows_folder;
  options.before_script_check = [](const Settings& s) { CreateInstallerWindow(s); };
  options.script_check = [&] { return Sum32(script.data(), int64_t(script.size())) == e.header_.ScriptKey; };
  ByteReader stream(script);
  int code = ReadSettings(stream, e.settings_, options);
  // The end mark is the one check after the string table, so its message can
  // already be the installer's own; earlier failures show the fixed text.
  e.settings_loaded_ = code == 0 || code == kErrEndMark;
  if (code != 0) CorruptInstaller(code);
  UpdateInstallerWindow(e.settings_);  // the window was made before its colours and picture were read
  script = Bytes();  // the stream is done with once the end mark is read

  if (e.settings_.OptionFlags2 & kOpt2DeploymentExitCodes) ProcessExitFacts().deployment = true;
  if (e.settings_.SilentMode == 1) e.AutomaticMode = true;
  if (e.settings_.SilentMode == 2) e.AutomaticMode = false;
  if (e.settings_.Bitness == 1 && !DisableRedirection()) e.redirection_failed = true;
}

void RunEngine(HINSTANCE instance) {
  RestrictDllSearch();
  UseSystemCodePage();
  EngineState& e = Engine();
  SetUnhandledExceptionFilter(CrashFilter);
  OleInitialize(nullptr);
  // Every end, orderly or fatal, runs these (newest first).
  AddExitStep([] { OleUninitialize(); });
  EnablePrivilege(kTakeOwnershipPrivilege);
  SetFatalMessageSink([](const std::u16string& text) {
    // A deployment tool runs silently and reads the exit code: nobody would answer a box.
    if (Engine().AutomaticMode && ProcessExitFacts().deployment) {
      WriteUnattendedError(text);
      return;
    }
    ShowMessageBox(text, u"Error", MB_OK | MB_ICONERROR);
  });
  AddExitStep([] { Engine().log.Discard(); });  // no temporary log left behind
  UseFirewallForNotifications();

  e.instance = instance;
  e.module_path = ModulePath();
  e.windows_folder = WindowsFolder();
  e.large_icon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  e.small_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));

  e.command_line = ParseCommandLine(U16(GetCommandLineW()));
  if (!e.command_line.usage_error.empty()) UsageError(e.command_line.usage_error);
  e.AutomaticMode = e.command_line.AutomaticMode;
  ProcessExitFacts().deployment = e.command_line.DeploymentExitCodes;

  if (e.command_line.UninstallMode) {
    if (!e.command_line.UninstallName) UsageError(u"Product name required");
    ProcessExitFacts().uninstalling = true;
    UninstallCalls calls;
    calls.silent = e.AutomaticMode;
    calls.restart = [] {
      EnablePrivilege(u"SeShutdownPrivilege");
      ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION |
                                    SHTDN_REASON_FLAG_PLANNED);
    };
    if (e.command_line.RunProgram) calls.program_after = *e.command_line.RunProgram;
    calls.show = [](const std::u16string& text, const std::u16string& caption, UINT flags) {
      // A silent run for a deployment tool leaves its errors in a file, as the installer does.
      if (Engine().AutomaticMode && ProcessExitFacts().deployment && (flags & MB_TYPEMASK) == MB_OK) {
        WriteUnattendedError(text);
        return IDOK;
      }
      return ShowMessageBox(text, caption, flags);
    };
    calls.notify = [](const std::u16string& url, const std::u16string& version) {
      NotifyAfterUninstall(url, version);
    };
    calls.main_window = [](DisplaySettings look, const std::u16string& folder) {
      CreateUninstallerWindow(std::move(look), folder);
    };
    ConnectUninstallerDialogs(calls);
    OrderlyExit(RunUninstaller(*e.command_line.UninstallName, e.module_path, calls));
  }

  static SetupArchive archive;  // lives, with its open file, until the process ends
  ReadInstallerSettings(archive);
  ConnectWizard();
  RunInstallation(archive, Win32Wizard());
}

}  // namespace ks
