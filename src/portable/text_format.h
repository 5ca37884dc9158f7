// printf-style formatting of the installer's UTF-16 message texts: "%s",
// "%d", "%u" and "%%", the only conversions the message table uses.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace ks {

using FormatArg = std::variant<int64_t, std::u16string_view>;

// Arguments are used in order; a conversion without an argument is left as
// written, so a publisher's stray "%" never reads past what the caller gave.
std::u16string FormatText(std::u16string_view format, std::initializer_list<FormatArg> args);

}  // namespace ks
