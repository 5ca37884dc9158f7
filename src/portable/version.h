// Version comparison: pieces split at ".", each compared by its leading
// decimal digits as a number; missing pieces count as 0 ("1.0" == "1").
#pragma once
#include <string_view>

namespace ks {

// <0, 0, >0 like strcmp.
int CompareVersions(std::string_view a, std::string_view b);
int CompareVersions(std::u16string_view a, std::u16string_view b);

}  // namespace ks
