// Closing the windows of programs named by the close list.
#include "setup/close_programs.h"

#include <windows.h>

#include <vector>

#include "core/handle.h"
#include "core/message_pump.h"
#include "core/wide.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "setup/engine_state.h"
#include "setup/messages.h"
#include "ui/message_box.h"

namespace ks {
namespace {

enum : uint8_t { kCloseRequest = 0, kQuitRequest = 1, kAskUser = 2, kTerminate = 3 };

std::u16string WindowText(HWND w, bool title) {
  wchar_t buf[512];
  int n = title ? GetWindowTextW(w, buf, 512) : GetClassNameW(w, buf, 512);
  return U16(buf, n > 0 ? size_t(n) : 0);
}

// An empty field is not tested; "*rest" matches when rest occurs anywhere.
bool FieldMatches(const std::string& field8, const std::u16string& actual) {
  if (field8.empty()) return true;
  std::u16string field = SystemCodePage().ToWide(field8);
  if (field[0] == u'*') return actual.find(field.substr(1)) != std::u16string::npos;
  return field == actual;
}

const CloseEntry* MatchingEntry(HWND w, const std::vector<CloseEntry>& list) {
  std::u16string cls = WindowText(w, false), title = WindowText(w, true);
  for (const CloseEntry& entry : list) {
    if (!(entry.flags & 0x1)) continue;
    if (entry.window_class.empty() && entry.window_title.empty()) continue;
    if (FieldMatches(entry.window_class, cls) && FieldMatches(entry.window_title, title)) return &entry;
  }
  return nullptr;
}

BOOL CALLBACK CollectForeign(HWND w, LPARAM p) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId()) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

std::vector<HWND> ForeignTopWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectForeign, reinterpret_cast<LPARAM>(&windows));
  return windows;
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
      case kTerminate: {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
        if (process) TerminateProcess(process.get(), 1);
        break;
      }
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
