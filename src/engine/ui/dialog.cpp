// Dialog templates, placement, decoration and the common handler.
#include "ui/dialog.h"

#include "core/owner_window.h"
#include "core/wide.h"
#include "portable/text.h"
#include "portable/wizard_rules.h"
#include "ui/common_controls.h"
#include "ui/pictures.h"
#include "ui/res/resource.h"
#include "ui/ui_env.h"

namespace ks {

uint32_t PageVariant(PageKind page) {
  const Settings* s = Ui().settings;
  return s ? s->DialogVariants[size_t(page)] : 1;
}

std::string PageTemplate(const char* base, PageKind page) { return TemplateName(base, PageVariant(page)); }

namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

}  // namespace

INT_PTR OpenModal(const std::string& name, DLGPROC proc, LPARAM param) {
  InitCommonControls6();
  std::u16string wide = Widen(name);
  SetLastError(0);
  INT_PTR result = DialogBoxParamW(Module(), W(wide), BoxOwner(), proc, param);
  if (result == -1 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
    result = DialogBoxParamA(Module(), name.c_str(), BoxOwner(), proc, param);
  return result;
}

HWND OpenModeless(const std::string& name, DLGPROC proc, LPARAM param) {
  InitCommonControls6();
  std::u16string wide = Widen(name);
  SetLastError(0);
  HWND window = CreateDialogParamW(Module(), W(wide), BoxOwner(), proc, param);
  if (!window && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
    window = CreateDialogParamA(Module(), name.c_str(), BoxOwner(), proc, param);
  return window;
}

void CentreWindow(HWND window) {
  RECT area;
  HWND owner = BoxOwner();
  // The progress dialog owns boxes but is small: centre on the main window
  // when there is one, that is the top of the owner chain.
  while (owner && GetWindow(owner, GW_OWNER)) owner = GetWindow(owner, GW_OWNER);
  if (!owner || !GetWindowRect(owner, &area)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT r;
  GetWindowRect(window, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - w) / 2, area.top + (area.bottom - area.top - h) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceWindowIn(HWND window, uint32_t code, const RECT& area) {
  RECT r;
  GetWindowRect(window, &r);
  Rect placed = PlaceWindow({r.left, r.top, r.right, r.bottom}, {area.left, area.top, area.right, area.bottom}, code);
  SetWindowPos(window, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void BeginPage(HWND dialog) {
  EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
  const UiEnv& ui = Ui();
  if (ui.settings && (ui.settings->OptionFlags2 & kOpt2DialogIcons)) {
    SendMessageW(dialog, WM_SETICON, ICON_BIG, LPARAM(ui.large_icon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, LPARAM(ui.small_icon));
  }
  CentreWindow(dialog);
}

void SetItemText(HWND dialog, int id, const std::u16string& text) { SetDlgItemTextW(dialog, id, W(text)); }

std::u16string ItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  int n = item ? GetWindowTextLengthW(item) : 0;
  std::u16string text(size_t(n) + 1, u'\0');
  if (item) text.resize(size_t(GetWindowTextW(item, reinterpret_cast<wchar_t*>(text.data()), n + 1)));
  else text.clear();
  return text;
}

void SetButton(HWND dialog, int id, const std::u16string& caption) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return;
  if (Ui().button_images && Ui().button_images()) {
    int image = id == KS_ID_OK ? KS_BMP_OK : id == KS_ID_CANCEL ? KS_BMP_CANCEL : KS_BMP_BROWSE;
    if (HBITMAP bitmap = ButtonImage(image, dialog)) {
      SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, LPARAM(bitmap));
      SetWindowTextW(button, W(u" " + caption));
      return;
    }
  }
  SetWindowTextW(button, W(caption));
}

void Decorate(HWND dialog, uint32_t variant, const std::u16string* caption, const std::u16string& banner_caption) {
  if (caption) SetWindowTextW(dialog, W(variant == 2 ? banner_caption : *caption));
  if (variant == 1) ShowSidePicture(GetDlgItem(dialog, KS_ID_SIDE_PICTURE));
  if (variant == 2) {
    ShowBanner(GetDlgItem(dialog, KS_ID_BANNER));
    if (Ui().settings) SetItemText(dialog, KS_ID_BANNER_HEADING, Ui().settings->BannerHeading);
    if (caption) SetItemText(dialog, KS_ID_BANNER_SUBHEADING, *caption);
  }
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

bool CommonDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
  switch (message) {
    case WM_COMMAND: {
      int id = LOWORD(wparam);
      // The close box and Escape arrive as IDCANCEL: they mean the page's Cancel.
      if (id == IDCANCEL) {
        HWND cancel = GetDlgItem(dialog, KS_ID_CANCEL);
        if (!cancel || !IsWindowEnabled(cancel)) return false;
        id = KS_ID_CANCEL;
      }
      if (id != KS_ID_OK && id != KS_ID_CANCEL) return false;
      EndDialog(dialog, id);
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC: {
      int id = GetDlgCtrlID(HWND(lparam));
      if (id != KS_ID_BANNER_HEADING && id != KS_ID_BANNER_SUBHEADING) return false;
      SetTextColor(HDC(wparam), RGB(0, 0, 0));
      SetBkMode(HDC(wparam), TRANSPARENT);
      result = INT_PTR(GetStockObject(NULL_BRUSH));
      return true;
    }
  }
  return false;
}

}  // namespace ks
