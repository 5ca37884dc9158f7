// The destination-folder page (with its space lines) and the start-menu page
// (with its name check).
#include <string>

#include "core/wide.h"
#include "portable/text.h"
#include "portable/wizard_rules.h"
#include "ui/dialog.h"
#include "ui/folder_browser.h"
#include "ui/pages.h"
#include "ui/res/resource.h"
#include "ui/ui_env.h"

namespace ks {
namespace {

constexpr int kMaxFolder = 259;

struct FolderPage {
  std::u16string* folder;
};

void ShowSpace(HWND dialog) {
  std::u16string text = ItemText(dialog, KS_ID_FOLDER);
  uint64_t required = Ui().required_space ? Ui().required_space(text) : 0;
  SetItemText(dialog, KS_ID_SPACE_REQUIRED, UiText(92) + u" " + FormatSpace(required));
  std::optional<char> drive = FolderDriveLetter(SystemCodePage().FromWide(text));
  if (!drive) return;  // the line keeps what it said
  std::u16string root = {char16_t(*drive), u':', u'\\'};
  ULARGE_INTEGER free_bytes{};
  if (!GetDiskFreeSpaceExW(W(root), &free_bytes, nullptr, nullptr)) free_bytes.QuadPart = 0;
  SetItemText(dialog, KS_ID_SPACE_AVAILABLE, UiText(93) + u" " + FormatSpace(free_bytes.QuadPart));
}

INT_PTR CALLBACK ChooseDirProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* page = reinterpret_cast<FolderPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
  const Settings& s = *Ui().settings;
  switch (message) {
    case WM_INITDIALOG: {
      page = reinterpret_cast<FolderPage*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      BeginPage(dialog);
      SendDlgItemMessageW(dialog, KS_ID_FOLDER, EM_LIMITTEXT, kMaxFolder, 0);
      SetItemText(dialog, KS_ID_FOLDER, *page->folder);
      SetItemText(dialog, KS_ID_TEXT, UiText(11));
      SetButton(dialog, KS_ID_OK, UiText((s.OptionFlags2 & kOpt2StartMenuPage) ? 48 : 90));
      SetButton(dialog, KS_ID_CANCEL, UiText(49));
      SetButton(dialog, KS_ID_BROWSE, UiText(52));
      std::u16string caption = UiText(24);
      Decorate(dialog, PageVariant(PageKind::kChooseDir), &caption, UiText(65));
      PostMessageW(dialog, WM_COMMAND, KS_CMD_SPACE, 0);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case KS_ID_FOLDER:
          if (HIWORD(wparam) == EN_CHANGE) PostMessageW(dialog, WM_COMMAND, KS_CMD_SPACE, 0);
          return TRUE;
        case KS_CMD_SPACE:
          ShowSpace(dialog);
          return TRUE;
        case KS_ID_BROWSE: {
          bool computer = s.OptionFlags2 & kOpt2NoNetworkPath;
          auto chosen = BrowseForFolder(dialog, computer ? BrowseRoot::kComputer : BrowseRoot::kDesktop, computer,
                                        false, UiText(11), ItemText(dialog, KS_ID_FOLDER));
          if (chosen) SetItemText(dialog, KS_ID_FOLDER, *chosen);
          SetFocus(GetDlgItem(dialog, KS_ID_FOLDER));
          return TRUE;
        }
        case KS_ID_OK:
          *page->folder = ItemText(dialog, KS_ID_FOLDER);
          EndDialog(dialog, KS_ID_OK);
          return TRUE;
      }
      break;
  }
  INT_PTR result = FALSE;
  return CommonDialogMessage(dialog, message, wparam, lparam, result) ? result : FALSE;
}

INT_PTR CALLBACK StartMenuProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* page = reinterpret_cast<FolderPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
  const Settings& s = *Ui().settings;
  switch (message) {
    case WM_INITDIALOG: {
      page = reinterpret_cast<FolderPage*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      BeginPage(dialog);
      SendDlgItemMessageW(dialog, KS_ID_FOLDER, EM_LIMITTEXT, kMaxFolder, 0);
      SetItemText(dialog, KS_ID_FOLDER, *page->folder);
      SetItemText(dialog, KS_ID_TEXT, UiText(88));
      SetButton(dialog, KS_ID_OK, UiText(90));
      SetButton(dialog, KS_ID_CANCEL, UiText(49));
      SetButton(dialog, KS_ID_BROWSE, UiText(52));
      std::u16string caption = UiText(89);
      Decorate(dialog, PageVariant(PageKind::kStartMenu), &caption, UiText(65));
      EnableWindow(GetDlgItem(dialog, KS_ID_OK), StartMenuFolderValid(*page->folder));
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case KS_ID_FOLDER:
          if (HIWORD(wparam) == EN_CHANGE)
            EnableWindow(GetDlgItem(dialog, KS_ID_OK), StartMenuFolderValid(ItemText(dialog, KS_ID_FOLDER)));
          return TRUE;
        case KS_ID_BROWSE: {
          auto root = s.ShortcutMode == 1 ? BrowseRoot::kCommonPrograms : BrowseRoot::kPrograms;
          auto chosen = BrowseForFolder(dialog, root, true, true, UiText(88), ItemText(dialog, KS_ID_FOLDER));
          if (chosen) SetItemText(dialog, KS_ID_FOLDER, *chosen);
          SetFocus(GetDlgItem(dialog, KS_ID_FOLDER));
          return TRUE;
        }
        case KS_ID_OK:
          // Enter reaches OK even while it is disabled: check again.
          if (!StartMenuFolderValid(ItemText(dialog, KS_ID_FOLDER))) return TRUE;
          *page->folder = ItemText(dialog, KS_ID_FOLDER);
          EndDialog(dialog, KS_ID_OK);
          return TRUE;
      }
      break;
  }
  INT_PTR result = FALSE;
  return CommonDialogMessage(dialog, message, wparam, lparam, result) ? result : FALSE;
}

}  // namespace

bool ChooseDirPage(std::u16string& folder) {
  FolderPage page{&folder};
  return OpenModal(PageTemplate("ChooseDirDlg", PageKind::kChooseDir), ChooseDirProc, LPARAM(&page)) == KS_ID_OK;
}

bool StartMenuPage(std::u16string& folder) {
  FolderPage page{&folder};
  return OpenModal(PageTemplate("StartMenuDlg", PageKind::kStartMenu), StartMenuProc, LPARAM(&page)) == KS_ID_OK;
}

}  // namespace ks
