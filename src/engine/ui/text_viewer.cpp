// The text viewer: decoding by the portable rule, then the control.
#include "ui/text_viewer.h"

#include <richedit.h>

#include <string>

#include "core/library_loader.h"
#include "core/wide.h"
#include "portable/text.h"
#include "portable/wizard_rules.h"

namespace ks {
namespace {

constexpr UINT_PTR kCaretTimer = 1;

HWND ReplaceWithRichEdit(HWND dialog, int control) {
  static HMODULE library = LoadSystemLibrary(L"riched20.dll");
  HWND plain = GetDlgItem(dialog, control);
  if (!library || !plain) return nullptr;
  RECT r;
  GetWindowRect(plain, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  DWORD style = DWORD(GetWindowLongPtrW(plain, GWL_STYLE)) | ES_MULTILINE | ES_READONLY | WS_VSCROLL;
  DWORD ex_style = DWORD(GetWindowLongPtrW(plain, GWL_EXSTYLE));
  HWND rich = CreateWindowExW(ex_style, L"RichEdit20W", L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                              dialog, reinterpret_cast<HMENU>(INT_PTR(control)), GetModuleHandleW(nullptr), nullptr);
  if (!rich) return nullptr;
  // Same place in the tab order, same font.
  SetWindowPos(rich, plain, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageW(rich, WM_SETFONT, SendMessageW(plain, WM_GETFONT, 0, 0), FALSE);
  DestroyWindow(plain);
  return rich;
}

void PutUtf16(HWND dialog, int control, const std::u16string& text) {
  if (SetDlgItemTextW(dialog, control, W(text))) return;
  SetDlgItemTextA(dialog, control, SystemCodePage().FromWide(text, '?').c_str());
}

}  // namespace

bool ShowViewerText(HWND dialog, int control, std::string_view bytes) {
  ViewerText text = DecodeViewerText(bytes, SystemCodePage());
  if (text.kind == ViewerKind::kRich) {
    if (HWND rich = ReplaceWithRichEdit(dialog, control)) {
      SendMessageW(rich, EM_AUTOURLDETECT, TRUE, 0);
      SendMessageW(rich, EM_SETEVENTMASK, 0, ENM_LINK);
      LONG units = GetDialogBaseUnits();
      int half = LOWORD(units) / 2;
      SendMessageW(rich, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(half, half));
      SETTEXTEX set{ST_DEFAULT, CP_ACP};
      SendMessageW(rich, EM_SETTEXTEX, WPARAM(&set), LPARAM(text.rich.c_str()));
      SetTimer(dialog, kCaretTimer, 100, nullptr);
      return true;
    }
    // Without the rich edit library the markup is at least readable as text.
    PutUtf16(dialog, control, NormaliseLineEnds(SystemCodePage().ToWide(text.rich)));
    return false;
  }
  PutUtf16(dialog, control, text.text);
  return false;
}

}  // namespace ks
