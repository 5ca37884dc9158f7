// The wizard pages, one operation each; the flow reaches them through the
// Win32 wizard.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace ks {

// OK: the chosen index in `language`. Cancel: false.
bool LanguagePage(int& language);
bool GreetingPage();
// 1001 accept / go on, 1003 decline / cancel.
int LicensePage(std::string_view text);
int ReadmePage(std::string_view text);
bool PasswordPage(const std::u16string& password);
bool ChooseDirPage(std::u16string& folder);
bool StartMenuPage(std::u16string& folder);
// 1001 or 1003.
int MustUninstallPage();
int SupportOfferPage();

// The Summary page's check boxes: offered ones in, their states out.
struct SummaryChoices {
  bool open_first = false;  // 1023, FinishText1
  bool launch = false;      // 1025, FinishText2
  bool view_log = false;    // 1027
  bool open_third = false;  // 1029, FinishText3
};
// `offered`: which boxes appear; `checked`: their first states. The close box
// clears all four.
SummaryChoices SummaryPage(const SummaryChoices& offered, const SummaryChoices& checked);

// The modeless progress page: the owner of every later dialog and box while
// it lives. Positions and status lines for a page that is not there are dropped.
void OpenProgressPage();
void CloseProgressPage();
HWND ProgressPageWindow();
void PostProgress(int percent);
void ShowProgressStatus(const std::u16string& text);

}  // namespace ks
