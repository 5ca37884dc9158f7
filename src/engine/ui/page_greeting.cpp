// The greeting: a page with the greeting message and an optional link, or a
// message box for the variant without picture.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "core/wide.h"
#include "portable/text.h"
#include "portable/wizard_rules.h"
#include "ui/dialog.h"
#include "ui/message_box.h"
#include "ui/pages.h"
#include "ui/res/resource.h"
#include "ui/ui_env.h"

namespace ks {
namespace {

INT_PTR CALLBACK GreetingProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      BeginPage(dialog);
      uint32_t variant = PageVariant(PageKind::kGreeting);
      std::u16string text = UiText(1);
      if (variant == 2) text = u"\r\n\r\n" + text;
      SetItemText(dialog, KS_ID_TEXT, text);
      const Settings& s = *Ui().settings;
      std::u16string link = UiText(105);
      if (!s.GreetingLink.empty() && !link.empty())
        SetItemText(dialog, KS_ID_LINK, GreetingLinkMarkup(link, SystemCodePage().ToWide(s.GreetingLink)));
      SetButton(dialog, KS_ID_OK, UiText(48));
      SetButton(dialog, KS_ID_CANCEL, UiText(49));
      std::u16string caption = UiText(variant == 2 ? 103 : 65);
      Decorate(dialog, variant, &caption, UiText(65));
      return TRUE;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->idFrom == KS_ID_LINK && (header->code == NM_CLICK || header->code == NM_RETURN)) {
        auto* link = reinterpret_cast<NMLINK*>(lparam);
        ShellExecuteW(dialog, L"open", link->item.szUrl, nullptr, nullptr, SW_SHOWNORMAL);
        return TRUE;
      }
      break;
    }
  }
  INT_PTR result = FALSE;
  return CommonDialogMessage(dialog, message, wparam, lparam, result) ? result : FALSE;
}

}  // namespace

bool GreetingPage() {
  uint32_t variant = PageVariant(PageKind::kGreeting);
  if (variant == 0) return ShowMessageBox(UiText(1), UiText(65), MB_OKCANCEL) == IDOK;
  const char* name = variant == 1 ? "GreetingDlg" : "GreetingDlg3";
  return OpenModal(name, GreetingProc, 0) == KS_ID_OK;
}

}  // namespace ks
