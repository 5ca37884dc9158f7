// The two small questions: uninstall the old version first (installer), and
// the support offer (uninstaller).
#include "ui/button_row.h"
#include "ui/dialog.h"
#include "ui/pages.h"
#include "ui/res/resource.h"
#include "ui/ui_env.h"

namespace ks {
namespace {

struct Question {
  int text, ok, cancel, caption;
};

INT_PTR CALLBACK QuestionProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    const auto& q = *reinterpret_cast<const Question*>(lparam);
    BeginPage(dialog);
    SetItemText(dialog, KS_ID_TEXT, UiText(q.text));
    SetItemText(dialog, KS_ID_OK, UiText(q.ok));
    SetItemText(dialog, KS_ID_CANCEL, UiText(q.cancel));
    SetWindowTextW(dialog, reinterpret_cast<const wchar_t*>(UiText(q.caption).c_str()));
    LayoutButtons(dialog, {{GetDlgItem(dialog, KS_ID_OK), 4}, {GetDlgItem(dialog, KS_ID_CANCEL), 5}});
    return TRUE;
  }
  INT_PTR result = FALSE;
  return CommonDialogMessage(dialog, message, wparam, lparam, result) ? result : FALSE;
}

}  // namespace

int MustUninstallPage() {
  Question q{9, 104, 49, 21};
  return OpenModal("MustUninstall", QuestionProc, LPARAM(&q)) == KS_ID_OK ? KS_ID_OK : KS_ID_CANCEL;
}

int SupportOfferPage() {
  Question q{109, 110, 104, 110};
  return OpenModal("SupportOffer", QuestionProc, LPARAM(&q)) == KS_ID_OK ? KS_ID_OK : KS_ID_CANCEL;
}

}  // namespace ks
