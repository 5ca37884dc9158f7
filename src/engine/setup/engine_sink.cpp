// The install operations' view of the run.
#include "setup/engine_sink.h"

#include <windows.h>

#include "core/message_pump.h"
#include "core/owner_window.h"
#include "install/written_components.h"
#include "portable/text.h"
#include "setup/corrupt.h"
#include "setup/engine_state.h"
#include "setup/messages.h"
#include "setup/run_values.h"
#include "ui/pages.h"
#include "uninstall/conditional_deletions.h"

namespace ks {

std::u16string EngineSink::Expand(std::u16string text) { return ks::Expand(std::move(text)); }

void EngineSink::Log(std::string_view utf8) {
  EngineState& e = Engine();
  if (e.log_active) e.log.LogRaw(utf8);
}

void EngineSink::AddFailure(std::string_view text8) { Engine().log.AddFailure(text8); }

void EngineSink::RecordItem(const std::u16string& path, int kind) { run_.uninstall_data.RecordItem(path, kind); }

std::u16string EngineSink::Text(int number) { return ks::Text(number); }

void EngineSink::Status(std::u16string_view text) { StatusText(std::u16string(text)); }

// The next Pump lets the position through (and stops a cancelled run cleanly).
void EngineSink::Progress(int percent) { PostProgress(percent); }

bool EngineSink::Pump() {
  // Every message check is a trip to the window server: between files a few
  // per second keep the windows responsive without slowing many small files.
  constexpr DWORD kPumpIntervalMs = 50;
  DWORD now = GetTickCount();
  if (now - last_pump_ >= kPumpIntervalMs) {
    last_pump_ = now;
    if (PumpWaitingMessages()) run_.cancel_requested = true;
  }
  return run_.cancel_requested;
}

std::span<const uint8_t> EngineSink::PayloadArea() {
  ByteReader cursor = archive_.OpenPayload(Engine().settings());
  return cursor.Data();
}

void EngineSink::ProcessDeleteList() {
  EngineState& e = Engine();
  std::vector<FileDeletion> records = FileDeletionsFromSettings(e.settings().DeleteList);
  DeletionReports reports;
  reports.log = [](std::u16string_view text) {
    EngineState& s = Engine();
    if (s.log_active) s.log.LogText(text);
  };
  reports.failure = [](std::u16string_view text) { Engine().log.AddFailure(text); };
  ConditionalDeletionOutcome outcome =
      ApplyConditionalDeletions(true, records, run_.InstallDir, [](std::u16string t) { return ks::Expand(std::move(t)); },
                                reports);
  if (outcome.corrupt_code) CorruptInstaller(outcome.corrupt_code);
  if (outcome.restart_needed) run_.restart_required = true;
  // What is left is for the uninstaller ([ConditionalDelete]).
  run_.uninstall_data.deletions = std::move(records);
}

void EngineSink::FileWritten(const FileRecord& record, const std::u16string& destination) {
  RegisterWrittenComponent(record, destination, *this, run_.uninstall_data, BoxOwner());
}

}  // namespace ks
