// The system's 8-bit ("ANSI") code page for the portable text layer.
#pragma once
#include "portable/text.h"

namespace ks {

class Win32CodePage : public AnsiCodePage {
 public:
  std::string FromWide(std::u16string_view s, char replacement = '?') const override;
  std::u16string ToWide(std::string_view s) const override;
};

// Makes the portable layer convert with the system's code page from now on.
void UseSystemCodePage();

}  // namespace ks
