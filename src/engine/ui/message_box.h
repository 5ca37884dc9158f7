// Message boxes of the installer: caption "Keldwick Setup" unless given, owned
// by the current owner window. Button relabelling comes with the wizard.
#pragma once
#include <windows.h>

#include <string>

namespace ks {

inline constexpr char16_t kEngineName[] = u"Keldwick Setup";

// Returns the button pressed (IDOK, IDYES, ...), 0 when the box failed.
int ShowMessageBox(const std::u16string& text, const std::u16string& caption, UINT flags, HWND owner = nullptr);

}  // namespace ks
