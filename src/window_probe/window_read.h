// Reading another process's top-level windows and pressing dialog buttons:
// shared by the test probes and the preview walker.
#pragma once
#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace probe {

struct ControlInfo {
  std::wstring cls;
  int id = 0;
  std::wstring text;
  bool visible = false;
  bool enabled = false;
  bool is_default = false;  // a push button with the default style
  int checked = -1;         // BM_GETCHECK of a button, -1 for other classes
  int parent_id = 0;        // id of the parent control; 0 for direct children
  RECT rect{};              // in the window's client coordinates
};

struct WindowInfo {
  HWND hwnd = nullptr;
  DWORD pid = 0;
  std::wstring caption;
  std::wstring cls;
  std::wstring text;  // a message box's text: the static control with id 65535
  bool has_text = false;
  std::vector<ControlInfo> controls;
  int default_id = 0;  // DM_GETDEFID of a dialog, 0 when none
  RECT client{};       // the client area
  RECT frame{};        // the window on the screen
};

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageBoxTextId = 0xFFFF;

// A control's id as its template stores it (a 16-bit word: 0xFFFF, not -1).
int ControlId(HWND hwnd);
// A window's class name.
std::wstring ClassOf(HWND hwnd);
// A window's text read across the process boundary with a time limit, so
// that a hung target cannot hang the caller; empty when it does not answer.
std::wstring TextOf(HWND hwnd);

// The given processes plus every process they started, transitively.
std::set<DWORD> WithDescendants(const std::set<DWORD>& roots);

// Visible top-level windows owned by any of the processes, in z-order.
std::vector<HWND> VisibleWindowsOf(const std::set<DWORD>& pids);

// Caption, class and the child controls of a window. Texts are read with a
// time limit so that a hung target cannot hang the probe.
WindowInfo ReadWindow(HWND hwnd);

// Presses a button without waiting for its handler (which may open the next
// modal box): BM_CLICK posted to the button.
bool PressButton(HWND dialog, int id);
// Fallback when a posted click did not close the box: WM_COMMAND to the dialog.
bool SendCommand(HWND dialog, int id);

}  // namespace probe
