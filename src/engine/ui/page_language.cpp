// The language page: the list of the product's languages, relabelled in the
// selected one as the selection moves.
#include <string>
#include <vector>

#include "portable/wizard_rules.h"
#include "ui/dialog.h"
#include "ui/main_window.h"
#include "ui/pages.h"
#include "ui/res/resource.h"
#include "ui/ui_env.h"

namespace ks {
namespace {

void Relabel(HWND dialog) {
  const Settings* s = Ui().settings;
  if (s && !(s->OptionFlags2 & kOpt2KeepFallbackTitle)) SetMainWindowFallbackTitle(UiText(0));
  SetItemText(dialog, KS_ID_TEXT, UiText(82));
  SetButton(dialog, KS_ID_OK, UiText(48));
  SetButton(dialog, KS_ID_CANCEL, UiText(49));
  std::u16string caption = UiText(94);
  Decorate(dialog, PageVariant(PageKind::kLanguage), &caption, UiText(65));
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  InvalidateMainWindow();
}

void Choose(HWND dialog, int index) {
  int count = int(SendDlgItemMessageW(dialog, KS_ID_LANGUAGES, LB_GETCOUNT, 0, 0));
  if (index >= count) index = count - 1;
  if (index < 0) index = 0;
  *Ui().language = index;
}

std::u16string NativeLanguageName() {
  wchar_t name[128] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SNATIVELANGNAME, name, 128);
  return std::u16string(reinterpret_cast<const char16_t*>(name));
}

INT_PTR CALLBACK LanguageProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      BeginPage(dialog);
      std::vector<std::u16string> entries;
      for (const TextW& name : Ui().settings->LanguageNames) {
        entries.push_back(u"\t" + name);
        SendDlgItemMessageW(dialog, KS_ID_LANGUAGES, LB_ADDSTRING, 0, LPARAM(entries.back().c_str()));
      }
      int index = PreselectedLanguage(entries, NativeLanguageName());
      SendDlgItemMessageW(dialog, KS_ID_LANGUAGES, LB_SETCURSEL, WPARAM(index), 0);
      *Ui().language = index;
      Relabel(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == KS_ID_LANGUAGES && HIWORD(wparam) == LBN_SELCHANGE) {
        int index = int(SendDlgItemMessageW(dialog, KS_ID_LANGUAGES, LB_GETCURSEL, 0, 0));
        int count = int(SendDlgItemMessageW(dialog, KS_ID_LANGUAGES, LB_GETCOUNT, 0, 0));
        if (index >= 0 && index < count) {
          *Ui().language = index;
          Relabel(dialog);
        }
        return TRUE;
      }
      if ((LOWORD(wparam) == KS_ID_LANGUAGES && HIWORD(wparam) == LBN_DBLCLK) || LOWORD(wparam) == KS_ID_OK) {
        Choose(dialog, int(SendDlgItemMessageW(dialog, KS_ID_LANGUAGES, LB_GETCURSEL, 0, 0)));
        EndDialog(dialog, KS_ID_OK);
        return TRUE;
      }
      break;
  }
  INT_PTR result = FALSE;
  return CommonDialogMessage(dialog, message, wparam, lparam, result) ? result : FALSE;
}

}  // namespace

bool LanguagePage(int& language) {
  // The page relabels itself through the run's text lookup: it works on the
  // run's own index.
  int local = language;
  if (!Ui().language) Ui().language = &local;
  INT_PTR result = OpenModal(PageTemplate("LanguageDlg", PageKind::kLanguage), LanguageProc, 0);
  if (result != KS_ID_OK) return false;
  language = *Ui().language;
  return true;
}

}  // namespace ks
