// The progress page: modeless while the installation or removal runs on the
// same thread, served only when that work pumps messages.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "core/message_pump.h"
#include "core/owner_window.h"
#include "ui/dialog.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/pages.h"
#include "ui/res/resource.h"
#include "ui/ui_env.h"

namespace ks {
namespace {

struct ProgressPage {
  HWND dialog = nullptr;
  HWND bar = nullptr;  // forgotten when the dialog goes, so later positions are dropped
  std::unique_ptr<OwnerScope> owner;
};

ProgressPage& Page() {
  static ProgressPage page;
  return page;
}

bool Uninstalling() { return Ui().uninstalling && Ui().uninstalling(); }

bool CancelDisabled() {
  const Settings* s = Ui().settings;
  return Uninstalling() || (s && (s->OptionFlags & kOptNoCancel));
}

// The whole screen over a full-screen main window, else the work area.
RECT PlacementArea() {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT main;
  if (HWND window = MainWindow(); window && GetWindowRect(window, &main) && EqualRect(&main, &area)) return area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

void AskToCancel(HWND dialog) {
  static bool asking = false;  // one question at a time, however often Cancel arrives
  HWND cancel = GetDlgItem(dialog, KS_ID_CANCEL);
  if (asking || !cancel || !IsWindowEnabled(cancel)) return;
  asking = true;
  bool yes = ShowMessageBox(UiText(28), UiText(20), MB_YESNO | MB_ICONQUESTION, dialog) == IDYES;
  asking = false;
  if (yes && Ui().cancel) Ui().cancel();
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      BeginPage(dialog);
      bool uninstalling = Uninstalling();
      uint32_t variant = PageVariant(PageKind::kProgress);
      SetItemText(dialog, KS_ID_TEXT, UiText(uninstalling ? 71 : 39));
      SetButton(dialog, KS_ID_CANCEL, UiText(49));
      EnableWindow(GetDlgItem(dialog, KS_ID_CANCEL), !CancelDisabled());
      std::u16string caption = UiText(uninstalling ? 55 : 54);
      Decorate(dialog, variant, &caption, UiText(uninstalling ? 55 : 65));
      SendDlgItemMessageW(dialog, KS_ID_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
      if (const Settings* s = Ui().settings) PlaceWindowIn(dialog, s->ProgressPosition, PlacementArea());
      return TRUE;
    }
    case WM_COMMAND:
      // Cancel, Escape and the close box all ask first; the dialog never ends by itself.
      if (LOWORD(wparam) == KS_ID_CANCEL || LOWORD(wparam) == IDCANCEL) AskToCancel(dialog);
      return TRUE;
    case WM_QUERYENDSESSION:
      // No log-off or shut-down while files are half installed.
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
      return TRUE;
    case WM_DESTROY:
      Page().bar = nullptr;
      break;
  }
  INT_PTR result = FALSE;
  return CommonDialogMessage(dialog, message, wparam, lparam, result) ? result : FALSE;
}

}  // namespace

void OpenProgressPage() {
  ProgressPage& page = Page();
  if (page.dialog && IsWindow(page.dialog)) return;
  page.dialog = OpenModeless(PageTemplate("ProgressDlg", PageKind::kProgress), ProgressProc, 0);
  if (!page.dialog) return;
  page.bar = GetDlgItem(page.dialog, KS_ID_PROGRESS);
  page.owner = std::make_unique<OwnerScope>(page.dialog);
  static_cast<void>(PumpWaitingMessages());  // drawn before the work starts
}

void CloseProgressPage() {
  ProgressPage& page = Page();
  page.owner.reset();
  if (page.dialog && IsWindow(page.dialog)) DestroyWindow(page.dialog);
  page.dialog = nullptr;
  page.bar = nullptr;
}

HWND ProgressPageWindow() { return Page().dialog && IsWindow(Page().dialog) ? Page().dialog : nullptr; }

void PostProgress(int percent) {
  if (HWND bar = Page().bar) PostMessageW(bar, PBM_SETPOS, WPARAM(percent), 0);
}

void ShowProgressStatus(const std::u16string& text) {
  if (HWND dialog = ProgressPageWindow()) SetItemText(dialog, KS_ID_STATUS, text);
}

}  // namespace ks
