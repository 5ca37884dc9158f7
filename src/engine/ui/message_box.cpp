// Message boxes of the installer: a CBT hook relabels and lays out the box's
// buttons in the run's language when it activates.
#include "ui/message_box.h"

#include "core/owner_window.h"
#include "core/wide.h"
#include "ui/button_row.h"
#include "ui/common_controls.h"
#include "ui/dialog.h"
#include "ui/res/resource.h"
#include "ui/ui_env.h"

namespace ks {
namespace {

HHOOK g_hook = nullptr;  // at most one at a time

void Relabel(HWND box) {
  struct Label { int id; int text; int image; };
  const Label labels[] = {{IDOK, 0, KS_BMP_OK}, {IDYES, 79, KS_BMP_OK}, {IDNO, 80, KS_BMP_CANCEL},
                          {IDCANCEL, 49, KS_BMP_CANCEL}, {IDRETRY, 100, KS_BMP_RETRY}};
  std::vector<RowEntry> row;
  for (const Label& l : labels) {
    HWND button = GetDlgItem(box, l.id);
    if (!button) continue;
    if (l.text) {
      std::u16string text = UiText(l.text);
      if (!text.empty()) SetWindowTextW(button, W(text));
    }
    row.push_back({button, l.image});
  }
  LayoutButtons(box, row);
}

LRESULT CALLBACK BoxHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code != HCBT_ACTIVATE) return CallNextHookEx(g_hook, code, wparam, lparam);
  HWND box = reinterpret_cast<HWND>(wparam);
  const UiEnv& ui = Ui();
  if (ui.settings && (ui.settings->OptionFlags2 & kOpt2DialogIcons)) {
    SendMessageW(box, WM_SETICON, ICON_BIG, LPARAM(ui.large_icon));
    SendMessageW(box, WM_SETICON, ICON_SMALL, LPARAM(ui.small_icon));
  }
  CentreWindow(box);
  Relabel(box);
  UnhookWindowsHookEx(g_hook);
  g_hook = nullptr;
  return 0;
}

}  // namespace

int ShowMessageBox(const std::u16string& text, const std::u16string& caption, UINT flags, HWND owner) {
  InitCommonControls6();
  if (!g_hook) g_hook = SetWindowsHookExW(WH_CBT, BoxHook, nullptr, GetCurrentThreadId());
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  const std::u16string& title = caption.empty() ? std::u16string(kEngineName) : caption;
  int result = MessageBoxW(owner ? owner : BoxOwner(), W(text), W(title), flags);
  // A box that failed before it activated leaves the hook for the next one.
  return result;
}

}  // namespace ks
