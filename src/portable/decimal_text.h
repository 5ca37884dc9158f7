// Numbers as text without the C library's printf and strtod: fixed-point and
// hex digits for the installer's own texts, and exact decimal <-> double.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ks {

// "%.*f": exactly rounded, ties to even; "inf", "-inf", "nan" as printf writes them.
std::string FixedText(double value, int decimals);

// "%0*d": at least `width` characters, zeros after the sign.
std::string PaddedDecimal(int64_t value, int width);

// "%0*X": upper-case hex digits, at least `width` of them.
std::string HexText(uint64_t value, int width);

// strtoull and strtoll in base 10: leading white space, a sign, digits; a
// value out of range gives the type's limit.
uint64_t ParseUnsigned(std::string_view text);
int64_t ParseSigned(std::string_view text);

// strtod in the "C" locale: leading white space, a sign, decimal or "0x" hex
// digits with an optional exponent, "inf"/"infinity", "nan" or "nan(...)".
// Exactly rounded. `used` is how many characters the number took (0: none).
double ParseReal(std::string_view text, size_t* used);

}  // namespace ks
