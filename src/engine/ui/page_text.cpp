// The licence and readme pages: one text in the viewer, accept or go on.
#include <windows.h>
#include <richedit.h>
#include <shellapi.h>

#include <string>

#include "ui/dialog.h"
#include "ui/pages.h"
#include "ui/res/resource.h"
#include "ui/text_viewer.h"
#include "ui/ui_env.h"

namespace ks {
namespace {

constexpr UINT_PTR kCaretTimer = 1, kFocusTimer = 2;

struct TextPage {
  PageKind kind;
  int heading, ok, cancel, caption;
  std::string_view bytes;
  HBRUSH white = nullptr;
  bool rich = false;
};

// Room between the frame and the text of the plain edit control.
void InsetPlainText(HWND dialog) {
  HWND edit = GetDlgItem(dialog, KS_ID_VIEWER);
  RECT units{0, 0, 4, 8};  // one horizontal unit, one text height
  MapDialogRect(dialog, &units);
  RECT r;
  SendMessageW(edit, EM_GETRECT, 0, LPARAM(&r));
  r.left += units.right * 4 / 10;
  r.right -= units.right * 4 / 10;
  r.top += units.bottom * 5 / 10;
  r.bottom -= units.bottom * 2 / 10;
  SendMessageW(edit, EM_SETRECT, 0, LPARAM(&r));
}

INT_PTR CALLBACK TextPageProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* page = reinterpret_cast<TextPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      page = reinterpret_cast<TextPage*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      BeginPage(dialog);
      page->white = CreateSolidBrush(RGB(255, 255, 255));
      page->rich = ShowViewerText(dialog, KS_ID_VIEWER, page->bytes);
      if (page->rich) {
        SetTimer(dialog, kFocusTimer, 250, nullptr);
      } else {
        InsetPlainText(dialog);
      }
      SetItemText(dialog, KS_ID_TEXT, UiText(page->heading));
      SetButton(dialog, KS_ID_OK, UiText(page->ok));
      SetButton(dialog, KS_ID_CANCEL, UiText(page->cancel));
      std::u16string caption = UiText(page->caption);
      Decorate(dialog, PageVariant(page->kind), &caption, UiText(65));
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      if (page && HWND(lparam) == GetDlgItem(dialog, KS_ID_VIEWER)) {
        SetTextColor(HDC(wparam), RGB(0, 0, 0));
        SetBkColor(HDC(wparam), RGB(255, 255, 255));
        return INT_PTR(page->white);
      }
      break;
    case WM_TIMER:
      if (wparam == kFocusTimer) {
        SetFocus(GetDlgItem(dialog, KS_ID_VIEWER));
        KillTimer(dialog, kFocusTimer);
      }
      // A read-only text needs no caret.
      HideCaret(GetDlgItem(dialog, KS_ID_VIEWER));
      return TRUE;
    case WM_ACTIVATE:
      if (page && page->rich) SendDlgItemMessageW(dialog, KS_ID_VIEWER, WM_ACTIVATE, wparam, lparam);
      break;
    case WM_NOTIFY: {
      auto* link = reinterpret_cast<ENLINK*>(lparam);
      if (link->nmhdr.idFrom == KS_ID_VIEWER && link->nmhdr.code == EN_LINK && link->msg == WM_LBUTTONUP) {
        std::wstring target(size_t(link->chrg.cpMax - link->chrg.cpMin) + 1, L'\0');
        TEXTRANGEW range{link->chrg, target.data()};
        target.resize(size_t(SendDlgItemMessageW(dialog, KS_ID_VIEWER, EM_GETTEXTRANGE, 0, LPARAM(&range))));
        ShellExecuteW(dialog, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return TRUE;
      }
      break;
    }
    case WM_DESTROY:
      KillTimer(dialog, kCaretTimer);
      if (page && page->white) DeleteObject(page->white);
      break;
  }
  INT_PTR result = FALSE;
  return CommonDialogMessage(dialog, message, wparam, lparam, result) ? result : FALSE;
}

int OpenTextPage(TextPage page, const char* base) {
  return int(OpenModal(PageTemplate(base, page.kind), TextPageProc, LPARAM(&page)));
}

}  // namespace

int LicensePage(std::string_view text) {
  return OpenTextPage({PageKind::kLicense, 47, 45, 46, 44, text}, "LicenseDlg");
}

int ReadmePage(std::string_view text) { return OpenTextPage({PageKind::kReadme, 51, 48, 49, 50, text}, "ReadmeDlg"); }

}  // namespace ks
