// Numbers as text without the C library's printf and strtod (their float
// machinery is most of the C library the engine would otherwise carry).
#include "decimal_text.h"

#include <cstring>
#include <limits>

namespace ks {
namespace {

// An exact decimal 0.d[0]d[1]...d[nd-1] x 10^dp (digits 0..9). Every double
// fits in full; a longer parsed text keeps its first kMaxDigits digits and
// `trunc` says nonzero ones were dropped. Shifts multiply or divide by powers
// of two digit by digit, so conversions in both directions round exactly.
struct Decimal {
  static constexpr int kMaxDigits = 800;
  static constexpr unsigned kMaxShift = 28;  // digit << 28 plus carry fits 32 bits
  uint8_t d[kMaxDigits];
  int nd = 0;
  int dp = 0;
  bool trunc = false;

  void Trim() {
    while (nd > 0 && d[nd - 1] == 0) --nd;
    if (nd == 0) dp = 0;
  }

  void Assign(uint64_t v) {
    uint8_t reversed[20];
    int n = 0;
    for (; v; v /= 10) reversed[n++] = uint8_t(v % 10);
    for (nd = 0; n;) d[nd++] = reversed[--n];
    dp = nd;
    Trim();
  }

  void LeftShift(unsigned k) {
    uint8_t out[kMaxDigits + 10];  // 2^28 adds at most nine digits
    int w = int(sizeof out);
    uint32_t carry = 0;
    for (int r = nd - 1; r >= 0; --r) {
      uint32_t n = (uint32_t(d[r]) << k) + carry;
      out[--w] = uint8_t(n % 10);
      carry = n / 10;
    }
    for (; carry; carry /= 10) out[--w] = uint8_t(carry % 10);
    int total = int(sizeof out) - w;
    dp += total - nd;
    nd = total < kMaxDigits ? total : kMaxDigits;
    for (int i = nd; i < total; ++i) trunc = trunc || out[w + i];
    memcpy(d, out + w, size_t(nd));
    Trim();
  }

  void RightShift(unsigned k) {
    int r = 0, w = 0;
    uint32_t n = 0;
    for (; (n >> k) == 0; ++r) {
      if (r >= nd) {
        while ((n >> k) == 0) n *= 10, ++r;
        break;
      }
      n = n * 10 + d[r];
    }
    dp -= r - 1;
    const uint32_t mask = (uint32_t(1) << k) - 1;
    for (; r < nd; ++r) {
      uint32_t c = d[r];
      d[w++] = uint8_t(n >> k);
      n = (n & mask) * 10 + c;
    }
    for (; n; n = (n & mask) * 10) {
      uint8_t digit = uint8_t(n >> k);
      if (w < kMaxDigits) d[w++] = digit;
      else trunc = trunc || digit;
    }
    nd = w;
    Trim();
  }

  // Multiplies by 2^k (k > 0) or divides by 2^-k.
  void Shift(int k) {
    if (nd == 0) return;
    for (; k > int(kMaxShift); k -= kMaxShift) LeftShift(kMaxShift);
    for (; k < -int(kMaxShift); k += kMaxShift) RightShift(kMaxShift);
    if (k > 0) LeftShift(unsigned(k));
    if (k < 0) RightShift(unsigned(-k));
  }

  // Whether cutting to n digits rounds up: above half, or exactly half and odd.
  bool ShouldRoundUp(int n) const {
    if (n < 0 || n >= nd) return false;
    if (d[n] == 5 && n + 1 == nd) return trunc || (n > 0 && d[n - 1] % 2);
    return d[n] >= 5;
  }

  void Round(int n) {
    if (n < 0 || n >= nd) return;
    if (!ShouldRoundUp(n)) {
      nd = n;
      Trim();
      return;
    }
    for (int i = n - 1; i >= 0; --i) {
      if (d[i] < 9) {
        ++d[i];
        nd = i + 1;
        return;
      }
    }
    d[0] = 1;  // all nines
    nd = 1;
    ++dp;
  }

  uint64_t RoundedInteger() const {
    uint64_t v = 0;
    int i = 0;
    for (; i < dp && i < nd; ++i) v = v * 10 + d[i];
    for (; i < dp; ++i) v *= 10;
    return v + ShouldRoundUp(dp);
  }

  double ToDouble() {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    if (nd == 0 || dp < -330) return 0.0;
    if (dp > 310) return kInfinity;
    // Scale into [1/2, 1) by powers of two, counting them in exp.
    static constexpr uint8_t kPowers[] = {1, 3, 6, 9, 13, 16, 19, 23, 26};
    int exp = 0;
    while (dp > 0) {
      int n = dp >= 9 ? 27 : kPowers[dp];
      Shift(-n);
      exp += n;
    }
    while (dp < 0 || (dp == 0 && d[0] < 5)) {
      int n = -dp >= 9 ? 27 : kPowers[-dp];
      Shift(n);
      exp -= n;
    }
    --exp;  // the double's mantissa is in [1, 2)
    if (exp < -1022) {  // subnormal: fewer bits
      int n = -1022 - exp;
      Shift(-n);
      exp += n;
    }
    if (exp + 1023 >= 0x7FF) return kInfinity;
    Shift(53);
    uint64_t mant = RoundedInteger();
    if (mant == uint64_t(2) << 52) {  // rounding carried into a new bit
      mant >>= 1;
      if (++exp + 1023 >= 0x7FF) return kInfinity;
    }
    if (!(mant & (uint64_t(1) << 52))) exp = -1023;
    uint64_t bits = (mant & ((uint64_t(1) << 52) - 1)) | uint64_t(exp + 1023) << 52;
    double value;
    memcpy(&value, &bits, sizeof value);
    return value;
  }
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  c = Lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

struct Whole {
  bool negative = false;
  bool overflow = false;
  uint64_t magnitude = 0;
};

Whole ReadWhole(std::string_view text) {
  Whole w;
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) w.negative = text[i++] == '-';
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    unsigned digit = unsigned(text[i] - '0');
    if (w.magnitude > (UINT64_MAX - digit) / 10) w.overflow = true;
    else w.magnitude = w.magnitude * 10 + digit;
  }
  return w;
}

}  // namespace

uint64_t ParseUnsigned(std::string_view text) {
  Whole w = ReadWhole(text);
  if (w.overflow) return UINT64_MAX;
  return w.negative ? 0 - w.magnitude : w.magnitude;
}

int64_t ParseSigned(std::string_view text) {
  Whole w = ReadWhole(text);
  constexpr uint64_t kLimit = uint64_t(INT64_MAX);
  if (!w.negative) return w.overflow || w.magnitude > kLimit ? INT64_MAX : int64_t(w.magnitude);
  if (w.overflow || w.magnitude > kLimit + 1) return INT64_MIN;
  return int64_t(0 - w.magnitude);
}

std::string FixedText(double value, int decimals) {
  uint64_t bits;
  memcpy(&bits, &value, sizeof bits);
  std::string out = bits >> 63 ? "-" : "";
  int exp = int(bits >> 52) & 0x7FF;
  uint64_t mant = bits & ((uint64_t(1) << 52) - 1);
  if (exp == 0x7FF) return out + (mant ? "nan" : "inf");
  if (exp == 0) exp = 1;
  else mant |= uint64_t(1) << 52;
  Decimal dec;
  dec.Assign(mant);
  dec.Shift(exp - 1075);
  dec.Round(dec.dp + decimals);
  auto digit = [&](int i) { return char('0' + (i >= 0 && i < dec.nd ? dec.d[i] : 0)); };
  if (dec.dp <= 0) out += '0';
  for (int i = 0; i < dec.dp; ++i) out += digit(i);
  if (decimals > 0) out += '.';
  for (int i = 0; i < decimals; ++i) out += digit(dec.dp + i);
  return out;
}

std::string PaddedDecimal(int64_t value, int width) {
  uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
  std::string digits = std::to_string(magnitude);
  size_t sign = value < 0 ? 1 : 0;
  if (width > 0 && digits.size() + sign < size_t(width)) digits.insert(0, size_t(width) - sign - digits.size(), '0');
  return sign ? "-" + digits : digits;
}

std::string HexText(uint64_t value, int width) {
  std::string out;
  for (; value || int(out.size()) < width || out.empty(); value >>= 4) out.insert(out.begin(), "0123456789ABCDEF"[value & 15]);
  return out;
}

double ParseReal(std::string_view text, size_t* used) {
  size_t i = 0;
  auto at = [&](size_t k) { return k < text.size() ? text[k] : '\0'; };
  auto word = [&](const char* w) {
    for (size_t n = 0; w[n]; ++n)
      if (Lower(at(i + n)) != w[n]) return false;
    return true;
  };
  // An exponent after `marker` ("e", "p") with its optional sign, clamped far
  // beyond any double; 0, and nothing taken, when no digit follows.
  auto exponent = [&](char marker) {
    if (Lower(at(i)) != marker) return 0;
    size_t j = i + 1;
    bool minus = at(j) == '-';
    if (at(j) == '+' || at(j) == '-') ++j;
    if (!IsDigit(at(j))) return 0;
    int e = 0;
    for (; IsDigit(at(j)); ++j) e = e < 100000 ? e * 10 + (at(j) - '0') : e;
    i = j;
    return minus ? -e : e;
  };
  *used = 0;
  while (IsSpace(at(i))) ++i;
  bool negative = at(i) == '-';
  if (at(i) == '+' || at(i) == '-') ++i;

  double value = 0;
  if (word("inf")) {
    i += word("infinity") ? 8 : 3;
    value = std::numeric_limits<double>::infinity();
  } else if (word("nan")) {
    i += 3;
    size_t j = i + 1;
    if (at(i) == '(') {
      while (IsDigit(at(j)) || (Lower(at(j)) >= 'a' && Lower(at(j)) <= 'z') || at(j) == '_') ++j;
      if (at(j) == ')') i = j + 1;
    }
    value = std::numeric_limits<double>::quiet_NaN();
  } else if (at(i) == '0' && Lower(at(i + 1)) == 'x' &&
             (HexValue(at(i + 2)) >= 0 || (at(i + 2) == '.' && HexValue(at(i + 3)) >= 0))) {
    // Up to 60 bits of hex digits exactly, the rest as a sticky bit.
    i += 2;
    uint64_t mant = 0;
    int exp = 0;
    bool point = false, sticky = false;
    for (;; ++i) {
      if (at(i) == '.' && !point) {
        point = true;
        continue;
      }
      int h = HexValue(at(i));
      if (h < 0) break;
      if (mant >> 56 == 0) {
        mant = mant * 16 + unsigned(h);
        if (point) exp -= 4;
      } else {
        sticky = sticky || h;
        if (!point) exp += 4;
      }
    }
    exp += exponent('p');
    if (mant) {
      Decimal dec;
      dec.Assign(mant);
      dec.trunc = sticky;
      dec.Shift(exp < -5000 ? -5000 : exp > 5000 ? 5000 : exp);
      value = dec.ToDouble();
    }
  } else {
    Decimal dec;
    bool digits = false, point = false;
    for (;; ++i) {
      char c = at(i);
      if (c == '.' && !point) {
        point = true;
        continue;
      }
      if (!IsDigit(c)) break;
      digits = true;
      if (c == '0' && dec.nd == 0) {  // leading zeros place the point only
        if (point) --dec.dp;
        continue;
      }
      if (dec.nd < Decimal::kMaxDigits) dec.d[dec.nd++] = uint8_t(c - '0');
      else dec.trunc = dec.trunc || c != '0';
      if (!point) ++dec.dp;
    }
    if (!digits) return 0;
    dec.dp += exponent('e');
    dec.Trim();
    value = dec.ToDouble();
  }
  *used = i;
  return negative ? -value : value;
}

}  // namespace ks
