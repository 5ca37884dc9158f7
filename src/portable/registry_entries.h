// The registry entries text of the settings: its lines, the fields of a line
// (comma-separated, optionally quoted) and the value data each type stands for.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// Registry value types an entry may name.
enum : uint32_t {
  kRegTypeString = 1,        // REG_SZ, folder variables expanded
  kRegTypeExpandString = 2,  // REG_EXPAND_SZ, stored as written
  kRegTypeBinary = 3,        // REG_BINARY from hexadecimal pairs
  kRegTypeDword = 4,         // REG_DWORD from a decimal number
  kRegTypeQword = 11,        // REG_QWORD from a decimal number
};

// The all-users root: the key goes below every user's hive.
inline constexpr char16_t kAllUsersRoot[] = u"\\HKAU\\";

// Field numbers of a value entry (six fields); a key entry has one field.
enum : size_t { kEntryKey, kEntryName, kEntryType, kEntryData, kEntrySkipAtInstall, kEntryForUninstall };
constexpr size_t kValueEntryFields = 6;

// The non-empty lines of the text; CR LF, LF and CR end a line.
std::vector<std::string_view> Registry2Lines(std::string_view text);

// Splits one line at commas. A field may be enclosed in double quotes, inside
// which two double quotes stand for one and commas are part of the text;
// blanks before a field are skipped.
std::vector<std::string> SplitRegistry2Line(std::string_view line);

// The value a 6-field entry writes: type and the exact bytes to store.
struct RegistryValueData {
  uint32_t type = 0;
  std::vector<uint8_t> bytes;
  bool operator==(const RegistryValueData&) const = default;
};

// The data of `type_text` and `data` (UTF-8): texts as UTF-16 with their
// terminating null (type 1 through `expand`), binary from hexadecimal pairs
// (spaces ignored; anything else is stored as its own bytes), numbers as
// little-endian integers; other types carry no data.
RegistryValueData MakeRegistryValue(std::string_view type_text, std::string_view data,
                                    const std::function<std::u16string(std::u16string)>& expand);

// True for a key path of the all-users form ("\HKAU\..." in any letter case);
// `rest` receives the path below each user's hive.
bool SplitAllUsersPath(std::u16string_view path, std::u16string_view& rest);

}  // namespace ks
