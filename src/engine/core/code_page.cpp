// The system's 8-bit ("ANSI") code page for the portable text layer.
#include "core/code_page.h"

#include <windows.h>

namespace ks {

std::string Win32CodePage::FromWide(std::u16string_view s, char replacement) const {
  if (s.empty()) return {};
  auto* w = reinterpret_cast<const wchar_t*>(s.data());
  char def[2] = {replacement, 0};
  int n = WideCharToMultiByte(CP_ACP, 0, w, int(s.size()), nullptr, 0, def, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, w, int(s.size()), out.data(), n, def, nullptr);
  return out;
}

std::u16string Win32CodePage::ToWide(std::string_view s) const {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
  std::u16string out(n > 0 ? n : 0, u'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

void UseSystemCodePage() {
  static const Win32CodePage code_page;
  SetSystemCodePage(&code_page);
}

}  // namespace ks
