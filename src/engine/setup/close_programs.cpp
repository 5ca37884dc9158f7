// Closing the windows of programs named by the close list.
#include "setup/close_programs.h"

#include <windows.h>

#include <vector>

#include "core/message_pump.h"
#include "core/wide.h"
#include "install/program_windows.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "setup/engine_state.h"
#include "setup/messages.h"
#include "ui/message_box.h"

namespace ks {
namespace {

enum : uint8_t { kCloseRequest = 0, kQuitRequest = 1, kAskUser = 2, kTerminate = 3 };

const CloseEntry* MatchingEntry(HWND w, const std::vector<CloseEntry>& list) {
  for (const CloseEntry& entry : list) {
    if (!(entry.flags & 0x1)) continue;
    if (WindowMatches(w, entry.window_class, entry.window_title)) return &entry;
  }
  return nullptr;
}

}  // namespace

void ClosePrograms(InstallRun& run) {
  const std::vector<CloseEntry>& list = Engine().settings().CloseList;
  if (list.empty()) return;
  for (HWND w : ForeignTopWindows()) {
    const CloseEntry* entry = MatchingEntry(w, list);
    if (!entry) continue;
    switch (entry->action) {
      case kCloseRequest: PostMessageW(w, WM_CLOSE, 0, 0); break;
      case kQuitRequest: PostMessageW(w, WM_QUIT, 0, 0); break;
      case kAskUser: {
        std::u16string text = FormatText(Text(99), {SystemCodePage().ToWide(entry->program_name)});
        while (IsWindow(w)) {
          if (ShowMessageBox(text, Text(65), MB_RETRYCANCEL | MB_ICONWARNING) == IDCANCEL) Abort();
        }
        break;
      }
      case kTerminate: TerminateWindowProcess(w); break;
      default: break;
    }
  }
  run.uninstall_close_list.clear();
  for (const CloseEntry& entry : list)
    if (entry.flags & 0x2) run.uninstall_close_list.push_back(entry);
  // Give the programs a moment to go before files are touched.
  for (DWORD start = GetTickCount(); GetTickCount() - start < 333;) {
    static_cast<void>(PumpWaitingMessages());  // the wait is short; a stop comes with the next step
    Sleep(20);
  }
}

}  // namespace ks
