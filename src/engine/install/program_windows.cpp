// Top-level windows of other programs.
#include "install/program_windows.h"

#include "core/handle.h"
#include "core/wide.h"
#include "portable/text.h"

namespace ks {
namespace {

std::u16string WindowText(HWND w, bool title) {
  wchar_t buf[512];
  int n = title ? GetWindowTextW(w, buf, 512) : GetClassNameW(w, buf, 512);
  return U16(buf, n > 0 ? size_t(n) : 0);
}

bool FieldMatches(const std::string& field8, const std::u16string& actual) {
  if (field8.empty()) return true;
  std::u16string field = SystemCodePage().ToWide(field8);
  if (field[0] == u'*') return actual.find(field.substr(1)) != std::u16string::npos;
  return field == actual;
}

BOOL CALLBACK CollectForeign(HWND w, LPARAM p) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId()) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

}  // namespace

std::vector<HWND> ForeignTopWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectForeign, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

bool WindowMatches(HWND window, const std::string& window_class, const std::string& window_title) {
  if (window_class.empty() && window_title.empty()) return false;
  return FieldMatches(window_class, WindowText(window, false)) && FieldMatches(window_title, WindowText(window, true));
}

void TerminateWindowProcess(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  if (process) TerminateProcess(process.get(), 1);
}

}  // namespace ks
