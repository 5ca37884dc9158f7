// The installer's main window: creating it (Unicode class, ANSI as the
// fallback), its window procedure and the installer's start-up hooks.
#include "ui/main_window.h"

#include "core/fatal.h"
#include "core/owner_window.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "portable/path_rules.h"
#include "setup/engine_state.h"
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

void CreateMainWindow(const Settings& settings) {
  EngineState& e = Engine();
  // Only fields 4 to 6 are read at this point; the rest keeps the record's defaults.
  DisplaySettings look;
  look.full_screen = (settings.OptionFlags2 & kOpt2Maximised) != 0;
  look.TaskbarText = SystemCodePage().ToWide(settings.TaskbarText);
  look.DisplayTitle = settings.DisplayTitle;
  look.TitleSize = settings.TitleSize;
  CreateMainWindow(e.instance, nullptr, e.command_line.Minimised, std::move(look), e.large_icon, e.small_icon);
}

void ShowMainWindowForUninstall(DisplaySettings look, const std::u16string& folder) {
  EngineState& e = Engine();
  HICON large = e.large_icon, small = e.small_icon;
  const std::u16string icon_path = JoinPath(folder, u"uninstall.ico");
  if (GetFileAttributesW(W(icon_path)) != INVALID_FILE_ATTRIBUTES) {
    // Owned by the window for the rest of the process.
    if (HICON big = static_cast<HICON>(LoadImageW(nullptr, W(icon_path), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                  GetSystemMetrics(SM_CYICON), LR_LOADFROMFILE)))
      large = big;
    if (HICON little = static_cast<HICON>(LoadImageW(nullptr, W(icon_path), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)))
      small = little;
  }
  if (State().fallback_title.empty()) State().fallback_title = look.DisplayTitle;
  CreateMainWindow(e.instance, nullptr, e.command_line.Minimised, std::move(look), large, small);
}

void UpdateMainWindow(const Settings& settings) {
  MainWindowState& st = State();
  if (!st.window) return;
  bool full_screen = st.look.full_screen;
  st.look = DisplaySettingsFrom(settings, SystemCodePage());
  st.look.full_screen = full_screen;
  if (st.fallback_title.empty()) st.fallback_title = settings.ProductName;
  InvalidateMainWindow();
}

}  // namespace ks
