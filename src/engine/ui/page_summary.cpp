// The Summary page: what to open or start now that the installation is done,
// as check boxes placed one below the other.
#include <algorithm>
#include <vector>

#include "portable/wizard_rules.h"
#include "ui/dialog.h"
#include "ui/pages.h"
#include "ui/res/resource.h"
#include "ui/ui_env.h"

namespace ks {
namespace {

struct Summary {
  SummaryChoices offered, checked, result;
};

struct Box {
  int id, text;
  bool SummaryChoices::*choice;
};
// In the order they are placed.
constexpr Box kBoxes[] = {{KS_ID_LAUNCH, 84, &SummaryChoices::launch},
                          {KS_ID_OPEN_DOCUMENT, 83, &SummaryChoices::open_first},
                          {KS_ID_OPEN_DOCUMENT2, 87, &SummaryChoices::open_third},
                          {KS_ID_OPEN_LOG, 85, &SummaryChoices::view_log}};

void PlaceBoxes(HWND dialog, const Summary& summary) {
  int offered = 0;
  for (const Box& box : kBoxes) offered += summary.offered.*box.choice;
  std::vector<Rect> rects = SummaryBoxRects(PageVariant(PageKind::kSummary), offered);
  size_t next = 0;
  for (const Box& box : kBoxes) {
    HWND control = GetDlgItem(dialog, box.id);
    if (!control) continue;
    if (!(summary.offered.*box.choice)) {
      ShowWindow(control, SW_HIDE);
      CheckDlgButton(dialog, box.id, BST_UNCHECKED);
      continue;
    }
    const Rect& units = rects[next++];
    RECT r{units.left, units.top, units.right, units.bottom};
    MapDialogRect(dialog, &r);
    MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    SetItemText(dialog, box.id, UiText(box.text));
    CheckDlgButton(dialog, box.id, summary.checked.*box.choice ? BST_CHECKED : BST_UNCHECKED);
    ShowWindow(control, SW_SHOW);
  }
}

// The page without picture is short: three or four boxes would run over the
// separator and OK, the fourth past the bottom edge. Those move down and the
// page grows by the overflow, so every offered box can be seen and used.
void MakeRoomBelowBoxes(HWND dialog, const Summary& summary) {
  int lowest = 0;
  for (const Box& box : kBoxes) {
    HWND control = GetDlgItem(dialog, box.id);
    if (!control || !(summary.offered.*box.choice)) continue;
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    lowest = std::max(lowest, int(r.bottom));
  }
  HWND separator = GetDlgItem(dialog, KS_ID_SEPARATOR);
  if (!separator) return;
  RECT gap{0, 0, 0, 4};
  MapDialogRect(dialog, &gap);
  RECT line;
  GetWindowRect(separator, &line);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&line), 2);
  int overflow = lowest + gap.bottom - line.top;
  if (overflow <= 0) return;
  for (int id : {KS_ID_SEPARATOR, KS_ID_OK}) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) continue;
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(control, nullptr, r.left, r.top + overflow, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT frame;
  GetWindowRect(dialog, &frame);
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + overflow,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK SummaryProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* summary = reinterpret_cast<Summary*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      summary = reinterpret_cast<Summary*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      BeginPage(dialog);
      SetItemText(dialog, KS_ID_TEXT, UiText(42));
      SetButton(dialog, KS_ID_OK, UiText(95));
      PlaceBoxes(dialog, *summary);
      MakeRoomBelowBoxes(dialog, *summary);
      CentreWindow(dialog);
      std::u16string caption = UiText(43);
      Decorate(dialog, PageVariant(PageKind::kSummary), &caption, UiText(65));
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == KS_ID_OK) {
        for (const Box& box : kBoxes)
          summary->result.*box.choice = (summary->offered.*box.choice) && IsDlgButtonChecked(dialog, box.id);
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {  // the close box (or Escape): nothing is started
        summary->result = {};
        EndDialog(dialog, 1);
        return TRUE;
      }
      break;
  }
  INT_PTR result = FALSE;
  return CommonDialogMessage(dialog, message, wparam, lparam, result) ? result : FALSE;
}

}  // namespace

SummaryChoices SummaryPage(const SummaryChoices& offered, const SummaryChoices& checked) {
  Summary summary{offered, checked, {}};
  OpenModal(PageTemplate("SummaryDlg", PageKind::kSummary), SummaryProc, LPARAM(&summary));
  return summary.result;
}

}  // namespace ks
