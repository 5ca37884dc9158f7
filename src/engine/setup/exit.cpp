// The orderly exit every ordinary end of a run goes through.
#include "setup/exit.h"

#include <windows.h>

#include "core/handle.h"
#include "core/message_pump.h"
#include "core/wide.h"
#include "portable/text.h"
#include "setup/engine_state.h"

namespace ks {

void OrderlyExit(ExitCode code) {
  // Windows and the notification thread join this path as they arrive.
  static_cast<void>(PumpWaitingMessages());  // ending anyway
  const EngineState& e = Engine();
  ExitFacts& facts = ProcessExitFacts();
  facts.failures = facts.failures || !e.log.FailureSummary().empty();
  facts.restart_pending = facts.restart_pending || e.run.restart_required;
  EndProcess(code);
}

std::u16string UnattendedErrorPath() {
  wchar_t folder[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, folder);
  std::u16string path = n > 0 && n <= MAX_PATH ? U16(folder) : u"C:\\";
  if (path.back() != u'\\') path += u'\\';
  return path + u"Keldwick Setup error.txt";
}

void WriteUnattendedError(const std::u16string& text) {
  ProcessExitFacts().failures = true;
  std::string bytes = Utf16ToUtf8(text) + "\r\n";
  UniqueHandle file(CreateFileW(W(UnattendedErrorPath()), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return;
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

}  // namespace ks
