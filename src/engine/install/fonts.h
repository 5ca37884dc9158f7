// Fonts: the Fonts registry value of a font file, and adding the font to the
// running system.
#pragma once
#include <string>

namespace ks {

// Sets `face` = `file` under the Fonts key (made when missing), then adds the
// font. True when the system took the font.
bool RegisterFont(const std::u16string& face, const std::u16string& file);

}  // namespace ks
