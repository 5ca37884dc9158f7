// Lines, fields and value data of the registry entries text.
#include "portable/registry_entries.h"

#include <cstring>

#include "portable/decimal_text.h"
#include "portable/text.h"

namespace ks {

std::vector<std::string_view> Registry2Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
    if (i > start) lines.push_back(text.substr(start, i - start));
    if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines;
}

std::vector<std::string> SplitRegistry2Line(std::string_view line) {
  std::vector<std::string> fields;
  size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::string field;
    if (i < line.size() && line[i] == '"') {
      ++i;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += line[i++];
      }
    }
    // Unquoted text, or what follows a closing quote up to the next comma.
    while (i < line.size() && line[i] != ',') field += line[i++];
    fields.push_back(std::move(field));
    if (i >= line.size()) break;
    ++i;  // the comma
  }
  return fields;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A decimal number with optional blanks and sign; what is not a number is 0.
// Values beyond the type keep their low bits, so "4294967295" is 0xFFFFFFFF.
uint64_t DecimalNumber(std::string_view text) {
  size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return 0;
  text.remove_prefix(start);
  return text[0] == '-' ? uint64_t(ParseSigned(text)) : ParseUnsigned(text);
}

void AppendText(std::vector<uint8_t>& bytes, const std::u16string& text) {
  for (char16_t c : text) {
    bytes.push_back(uint8_t(c & 0xFF));
    bytes.push_back(uint8_t(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
}

}  // namespace

RegistryValueData MakeRegistryValue(std::string_view type_text, std::string_view data,
                                    const std::function<std::u16string(std::u16string)>& expand) {
  RegistryValueData value;
  value.type = uint32_t(DecimalNumber(type_text));
  switch (value.type) {
    case kRegTypeString:
      AppendText(value.bytes, expand ? expand(Utf8ToUtf16(data)) : Utf8ToUtf16(data));
      break;
    case kRegTypeExpandString:
      AppendText(value.bytes, Utf8ToUtf16(data));
      break;
    case kRegTypeBinary: {
      std::string digits;
      for (char c : data)
        if (c != ' ') digits += c;
      bool hex = digits.size() % 2 == 0;
      for (char c : digits) hex = hex && HexDigit(c) >= 0;
      if (hex) {
        for (size_t i = 0; i < digits.size(); i += 2)
          value.bytes.push_back(uint8_t(HexDigit(digits[i]) << 4 | HexDigit(digits[i + 1])));
      } else {
        value.bytes.assign(digits.begin(), digits.end());
      }
      break;
    }
    case kRegTypeDword:
    case kRegTypeQword: {
      uint64_t n = DecimalNumber(data);
      size_t size = value.type == kRegTypeDword ? 4 : 8;
      for (size_t i = 0; i < size; ++i) value.bytes.push_back(uint8_t(n >> (8 * i)));
      break;
    }
    default:
      break;
  }
  return value;
}

bool SplitAllUsersPath(std::u16string_view path, std::u16string_view& rest) {
  std::u16string_view prefix = kAllUsersRoot;
  if (!StartsWithNoCase(path, prefix)) return false;
  rest = path.substr(prefix.size());
  return true;
}

}  // namespace ks
