// The password page: shown also in silent runs; a wrong entry is answered
// after half a second, so guessing by hand stays slow.
#include "ui/dialog.h"
#include "ui/message_box.h"
#include "ui/pages.h"
#include "ui/res/resource.h"
#include "ui/ui_env.h"

namespace ks {
namespace {

INT_PTR CALLBACK PasswordProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      BeginPage(dialog);
      SetItemText(dialog, KS_ID_TEXT, UiText(76));
      SetItemText(dialog, KS_ID_PASSWORD_LABEL, UiText(27));
      SetButton(dialog, KS_ID_CANCEL, UiText(49));
      SetWindowTextW(dialog, reinterpret_cast<const wchar_t*>(UiText(75).c_str()));
      SendDlgItemMessageW(dialog, KS_ID_PASSWORD, EM_LIMITTEXT, 64, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == KS_ID_OK) {
        const auto& password = *reinterpret_cast<const std::u16string*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (ItemText(dialog, KS_ID_PASSWORD) == password) {
          EndDialog(dialog, 1);
        } else {
          Sleep(500);
          ShowMessageBox(UiText(102), UiText(21), MB_OK | MB_ICONERROR, dialog);
          SetFocus(GetDlgItem(dialog, KS_ID_PASSWORD));
        }
        return TRUE;
      }
      if (LOWORD(wparam) == KS_ID_CANCEL || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      break;
  }
  INT_PTR result = FALSE;
  return CommonDialogMessage(dialog, message, wparam, lparam, result) ? result : FALSE;
}

}  // namespace

bool PasswordPage(const std::u16string& password) {
  if (password.empty()) return true;
  return OpenModal("EnterPassword", PasswordProc, LPARAM(&password)) == 1;
}

}  // namespace ks
