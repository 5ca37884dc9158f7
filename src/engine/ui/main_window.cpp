// The installer's main window: creating it (Unicode class, ANSI as the
// fallback) and its window procedure.
#include "ui/main_window.h"

#include "core/fatal.h"
#include "core/owner_window.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "ui/main_window_paint.h"

namespace ks {
namespace {

constexpr wchar_t kClassName[] = L"SEA Window Class";

// One window per process; it lives until the process ends.
struct MainWindowState {
  HWND window = nullptr;
  DisplaySettings look;
  bool gradient_failed = false;  // once the gradient cannot be drawn, one colour for the rest of the run
  std::u16string fallback_title;
  bool unicode = true;
};

MainWindowState& State() {
  static MainWindowState state;
  return state;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  MainWindowState& st = State();
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      EraseMainWindow(reinterpret_cast<HDC>(wparam), client, st.look, st.gradient_failed);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      const DisplaySettings& d = st.look;
      const std::u16string& title = d.DisplayTitle.empty() ? st.fallback_title : d.DisplayTitle;
      DrawWindowText(window, dc, title, d.TitleFont, d.TitleSize * 26, d.TitleColor, d.TitlePosition, d.TitleShadow);
      DrawWindowText(window, dc, d.CopyrightText, d.CopyrightFont, d.CopyrightSize * 16, d.CopyrightColor,
                     d.CopyrightPos, 0);
      EndPaint(window, &ps);
      return 0;
    }
  }
  return IsWindowUnicode(window) ? DefWindowProcW(window, message, wparam, lparam)
                                 : DefWindowProcA(window, message, wparam, lparam);
}

bool RegisterOnce(HINSTANCE instance, bool unicode) {
  static bool registered[2] = {false, false};
  if (registered[unicode]) return true;
  if (unicode) {
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    registered[1] = RegisterClassW(&wc) != 0;
  } else {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "SEA Window Class";
    registered[0] = RegisterClassA(&wc) != 0;
  }
  return registered[unicode];
}

[[noreturn]] void CreationFailed() {
  DWORD code = GetLastError();
  FatalFormat("Failed to create the installer's window.  Please reboot your machine and try again.\r\n\r\n"
              "Error code %d: %s",
              int(code), Utf16ToUtf8(SystemErrorText(code)).c_str());
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance, HWND parent, bool minimised, DisplaySettings look, HICON large_icon,
                      HICON small_icon) {
  MainWindowState& st = State();
  if (st.window) return st.window;
  st.look = std::move(look);

  RECT r = {0, 0, 1, 1};
  if (!st.look.full_screen && !SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
    st.look.full_screen = true;
    r = {0, 0, 1, 1};
  }
  DWORD style = WS_POPUP | (minimised ? WS_MINIMIZE : 0);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (RegisterOnce(instance, true))
    st.window = CreateWindowExW(0, kClassName, W(st.look.TaskbarText), style, r.left, r.top, w, h, parent, nullptr,
                                instance, nullptr);
  if (!st.window) {
    st.unicode = false;
    if (!RegisterOnce(instance, false)) CreationFailed();
    std::string caption = SystemCodePage().FromWide(st.look.TaskbarText);
    st.window = CreateWindowExA(0, "SEA Window Class", caption.c_str(), style, r.left, r.top, w, h, parent, nullptr,
                                instance, nullptr);
    if (!st.window) CreationFailed();
  }
  SendMessageW(st.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large_icon));
  SendMessageW(st.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
  ShowWindow(st.window, SW_HIDE);
  ShowWindow(st.window, st.look.full_screen ? SW_MAXIMIZE : SW_SHOW);
  if (minimised) ShowWindow(st.window, SW_MINIMIZE);
  SetForegroundWindow(st.window);
  SetActiveWindow(st.window);
  InvalidateRect(st.window, nullptr, TRUE);
  // Every dialog and box from now on is owned by this window.
  static OwnerScope owner(st.window);
  return st.window;
}

HWND MainWindow() { return State().window; }

void SetMainWindowFallbackTitle(std::u16string title) { State().fallback_title = std::move(title); }

void InvalidateMainWindow() {
  if (State().window) InvalidateRect(State().window, nullptr, TRUE);
}

void SetMainWindowLook(DisplaySettings look) {
  MainWindowState& st = State();
  if (!st.window) return;
  look.full_screen = st.look.full_screen;  // the window is already placed
  st.look = std::move(look);
  InvalidateMainWindow();
}

}  // namespace ks
