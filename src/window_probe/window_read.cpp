// Reading another process's top-level windows and pressing dialog buttons.
#include "window_probe/window_read.h"

#include <tlhelp32.h>

#include <map>

namespace probe {
namespace {

constexpr UINT kTextTimeoutMs = 1000;

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  // Every descendant: pages of a wizard may be child dialogs of the frame.
  auto* info = reinterpret_cast<WindowInfo*>(param);
  ControlInfo c;
  c.cls = ClassOf(hwnd);
  c.id = ControlId(hwnd);
  c.text = TextOf(hwnd);
  c.visible = IsWindowVisible(hwnd) != FALSE;
  c.enabled = IsWindowEnabled(hwnd) != FALSE;
  if (HWND parent = GetParent(hwnd); parent != info->hwnd) c.parent_id = ControlId(parent);
  GetWindowRect(hwnd, &c.rect);
  MapWindowPoints(nullptr, info->hwnd, reinterpret_cast<POINT*>(&c.rect), 2);
  if (_wcsicmp(c.cls.c_str(), L"Button") == 0) {
    c.is_default = (GetWindowLongW(hwnd, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
    DWORD_PTR state = 0;
    if (SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &state))
      c.checked = int(state);
  }
  if (c.id == kMessageBoxTextId && !c.parent_id && !info->has_text && _wcsicmp(c.cls.c_str(), L"Static") == 0) {
    info->text = c.text;
    info->has_text = true;
  }
  info->controls.push_back(std::move(c));
  return TRUE;
}

struct EnumState {
  const std::set<DWORD>* pids;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (state->pids->count(pid) && IsWindowVisible(hwnd)) state->found.push_back(hwnd);
  return TRUE;
}

}  // namespace

int ControlId(HWND hwnd) {
  int id = GetDlgCtrlID(hwnd);
  // Templates store ids as 16-bit words; 0xFFFF must not read as -1.
  return id == -1 ? 0xFFFF : id;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[256] = {};
  int n = GetClassNameW(hwnd, buf, 256);
  return std::wstring(buf, n > 0 ? n : 0);
}

// WM_GETTEXT crosses the process boundary; the system marshals the buffer.
std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &length))
    return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kTextTimeoutMs, &copied))
    return {};
  text.resize(copied < length ? copied : length);
  return text;
}

std::set<DWORD> WithDescendants(const std::set<DWORD>& roots) {
  std::set<DWORD> all = roots;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return all;
  std::multimap<DWORD, DWORD> children;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry))
    children.emplace(entry.th32ParentProcessID, entry.th32ProcessID);
  CloseHandle(snapshot);
  std::vector<DWORD> todo(roots.begin(), roots.end());
  while (!todo.empty()) {
    DWORD parent = todo.back();
    todo.pop_back();
    auto [first, last] = children.equal_range(parent);
    for (auto it = first; it != last; ++it)
      if (all.insert(it->second).second) todo.push_back(it->second);
  }
  return all;
}

std::vector<HWND> VisibleWindowsOf(const std::set<DWORD>& pids) {
  EnumState state{&pids, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

WindowInfo ReadWindow(HWND hwnd) {
  WindowInfo info;
  info.hwnd = hwnd;
  GetWindowThreadProcessId(hwnd, &info.pid);
  info.cls = ClassOf(hwnd);
  wchar_t caption[1024] = {};
  int n = GetWindowTextW(hwnd, caption, 1024);
  info.caption.assign(caption, n > 0 ? n : 0);
  if (info.cls == kDialogClass) {
    DWORD_PTR def = 0;
    if (SendMessageTimeoutW(hwnd, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &def) &&
        HIWORD(def) == DC_HASDEFID)
      info.default_id = LOWORD(def);
  }
  GetClientRect(hwnd, &info.client);
  GetWindowRect(hwnd, &info.frame);
  EnumChildWindows(hwnd, CollectChild, reinterpret_cast<LPARAM>(&info));
  return info;
}

bool PressButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return SendCommand(dialog, id);
  return PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

bool SendCommand(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != FALSE;
}

}  // namespace probe
