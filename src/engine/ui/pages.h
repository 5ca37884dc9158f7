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

}  // namespace ks
