// How the installation flow talks to the user.
#include "setup/messages.h"

#include <windows.h>

#include "core/message_pump.h"
#include "portable/settings_codec.h"
#include "setup/engine_state.h"
#include "setup/exit.h"
#include "ui/message_box.h"
#include "ui/pages.h"

namespace ks {
namespace {

DWORD g_status_time = 0;  // when the last status message was shown

}  // namespace

std::u16string Text(int n) {
  const EngineState& e = Engine();
  int language = e.run.language >= 0 ? e.run.language : e.settings().CurrentLanguage;
  return LookupText(e.settings(), n, e.windows_folder, language);
}

void ErrorBox(const std::u16string& text) {
  const EngineState& e = Engine();
  if (e.AutomaticMode && ProcessExitFacts().deployment) {
    WriteUnattendedError(text);
    return;
  }
  if (e.AutomaticMode && !(e.settings().OptionFlags2 & kOpt2SilentErrors)) return;
  std::u16string caption = Text(21);
  ShowMessageBox(text, caption.empty() ? u"Error" : caption, MB_OK | MB_ICONERROR);
}

void ErrorExit(const std::u16string& text) {
  ErrorBox(text);
  OrderlyExit(ExitCode::kRefused);
}

bool Question(const std::u16string& text, const std::u16string& caption) {
  return ShowMessageBox(text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void Abort() {
  const EngineState& e = Engine();
  if (!e.AutomaticMode) ShowMessageBox(Text(e.uninstalling ? 101 : 98), Text(111), MB_OK | MB_ICONWARNING);
  OrderlyExit(ExitCode::kCancelled);
}

void Status(int message) { StatusText(Text(message)); }

void StatusText(const std::u16string& text) {
  ShowProgressStatus(text);
  g_status_time = GetTickCount();
}

void Progress(int step) {
  PostProgress(step);
  EngineState& e = Engine();
  if (PumpWaitingMessages()) e.run.cancel_requested = true;
  // Yes to the progress page's Cancel stops the run here, between two steps.
  if (e.run.cancel_requested && !e.uninstalling) Abort();
}

void WaitSinceStatus(int ms) {
  const EngineState& e = Engine();
  if (e.AutomaticMode) return;
  // A Cancel confirmed meanwhile ends the wait: the run stops at its next step.
  for (int round = 0; round < ms && GetTickCount() - g_status_time < DWORD(ms) && !e.run.cancel_requested; ++round) {
    static_cast<void>(PumpWaitingMessages());  // the wait is short; a stop comes with the next step
    Sleep(50);
  }
}

}  // namespace ks
