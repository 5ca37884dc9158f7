// Fonts.
#include "install/fonts.h"

#include <windows.h>

#include "core/registry_key.h"
#include "core/wide.h"

namespace ks {

namespace {

bool IsWindows9x() { return GetVersion() & 0x80000000u; }

}  // namespace

bool RegisterFont(const std::u16string& face, const std::u16string& file) {
  const char16_t* key_name = IsWindows9x() ? u"Software\\Microsoft\\Windows\\CurrentVersion\\Fonts"
                                           : u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  RegistryKey key;
  if (Opened(key.Open(HKEY_LOCAL_MACHINE, key_name, kRegNoStack | kRegNoSecurity, kRegReadWrite)))
    key.WriteString(face, file, 0);
  return AddFontResourceW(W(file)) != 0;
}

}  // namespace ks
