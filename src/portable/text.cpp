// Text conversions between UTF-8, UTF-16 and 8-bit code pages.
#include "text.h"

#include <cstdint>

namespace ks {
namespace {

// Code page 1252 bytes 0x80..0x9F; 0 marks the five undefined bytes, which
// Windows maps to the same code point.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::u16string Utf8ToUtf16(std::string_view s, bool* ok) {
  std::u16string out;
  out.reserve(s.size());
  bool good = true;
  for (size_t i = 0; i < s.size();) {
    uint8_t c = uint8_t(s[i]);
    uint32_t cp;
    size_t len;
    if (c < 0x80) { cp = c; len = 1; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
    else { good = false; out.push_back(0xFFFD); ++i; continue; }
    if (i + len > s.size()) { good = false; out.push_back(0xFFFD); break; }
    bool seq_ok = true;
    for (size_t k = 1; k < len; ++k) {
      uint8_t cc = uint8_t(s[i + k]);
      if ((cc & 0xC0) != 0x80) { seq_ok = false; break; }
      cp = cp << 6 | (cc & 0x3F);
    }
    static constexpr uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!seq_ok || cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      good = false; out.push_back(0xFFFD); ++i; continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(char16_t(0xD800 + (cp >> 10)));
      out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(char16_t(cp));
    }
    i += len;
  }
  if (ok) *ok = good;
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) out.push_back(char(cp));
    else if (cp < 0x800) { out.push_back(char(0xC0 | cp >> 6)); out.push_back(char(0x80 | (cp & 0x3F))); }
    else if (cp < 0x10000) {
      out.push_back(char(0xE0 | cp >> 12)); out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(char(0xF0 | cp >> 18)); out.push_back(char(0x80 | (cp >> 12 & 0x3F)));
      out.push_back(char(0x80 | (cp >> 6 & 0x3F))); out.push_back(char(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::u16string Cp1252ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char ch : s) {
    uint8_t c = uint8_t(ch);
    char16_t w = c;
    if (c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80]) w = kCp1252High[c - 0x80];
    out.push_back(w);
  }
  return out;
}

std::string Utf16ToCp1252(std::u16string_view s, char replacement) {
  std::string out;
  out.reserve(s.size());
  for (char16_t w : s) {
    if (w < 0x80 || (w >= 0xA0 && w <= 0xFF)) { out.push_back(char(w)); continue; }
    char c = replacement;
    for (int i = 0; i < 32; ++i) {
      if (kCp1252High[i] == w || (kCp1252High[i] == 0 && w == char16_t(0x80 + i))) { c = char(0x80 + i); break; }
    }
    out.push_back(c);
  }
  return out;
}

char16_t AsciiUpper(char16_t c) { return c >= 'a' && c <= 'z' ? char16_t(c - 32) : c; }

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

bool StartsWithNoCase(std::u16string_view s, std::u16string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool EqualsNoCase8(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(uint8_t(a[i])) != AsciiUpper(uint8_t(b[i]))) return false;
  return true;
}

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string AnsiCodePage::FromWide(std::u16string_view s, char replacement) const {
  return Utf16ToCp1252(s, replacement);
}
std::u16string AnsiCodePage::ToWide(std::string_view s) const { return Cp1252ToUtf16(s); }

namespace {
const AnsiCodePage kDefaultCodePage;
const AnsiCodePage* g_code_page = &kDefaultCodePage;
}  // namespace

const AnsiCodePage& SystemCodePage() { return *g_code_page; }
void SetSystemCodePage(const AnsiCodePage* cp) { g_code_page = cp ? cp : &kDefaultCodePage; }

std::u16string NormaliseLineEnds(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r') {
      out += u"\r\n";
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else if (s[i] == u'\n') {
      out += u"\r\n";
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

}  // namespace ks
