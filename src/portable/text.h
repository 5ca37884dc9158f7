// Text conversions between UTF-8, UTF-16 and 8-bit code pages. Code page 1252
// is built in; the system ("ANSI") code page is a platform hook the engine fills.
#pragma once
#include <string>
#include <string_view>

namespace ks {

std::u16string Utf8ToUtf16(std::string_view s, bool* ok = nullptr);
std::string Utf16ToUtf8(std::u16string_view s);
std::u16string Cp1252ToUtf16(std::string_view s);
// Characters without a 1252 form become `replacement`.
std::string Utf16ToCp1252(std::u16string_view s, char replacement = '?');
// ASCII-only case folding, enough for the engine's invariant comparisons.
char16_t AsciiUpper(char16_t c);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::u16string_view s, std::u16string_view prefix);
bool EqualsNoCase8(std::string_view a, std::string_view b);
std::u16string Widen(std::string_view ascii);  // ASCII only, for literals

// Conversion with the system's 8-bit code page. The portable default is 1252;
// the engine installs the real one at start.
class AnsiCodePage {
 public:
  virtual ~AnsiCodePage() = default;
  virtual std::string FromWide(std::u16string_view s, char replacement = '?') const;
  virtual std::u16string ToWide(std::string_view s) const;
};
const AnsiCodePage& SystemCodePage();
void SetSystemCodePage(const AnsiCodePage* cp);  // nullptr restores the default

// "\n" and lone "\r" become "\r\n"; existing "\r\n" pairs stay.
std::u16string NormaliseLineEnds(std::u16string_view s);

}  // namespace ks
