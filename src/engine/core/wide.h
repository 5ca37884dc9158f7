// The portable core speaks std::u16string; Win32 speaks wchar_t. On Windows
// both are UTF-16 code units, so the views convert without copying.
#pragma once
#include <string>
#include <string_view>

namespace ks {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline std::u16string U16(const wchar_t* s) {
  return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}
inline std::u16string U16(const wchar_t* s, size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

}  // namespace ks
