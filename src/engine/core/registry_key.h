// The registry key object: opens or creates keys by root and sub-key or by
// the library's "\HKLM\..." path text, and reads, writes and deletes values.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/handle.h"

#include "portable/registry_path.h"

namespace ks {

// How each root opens: its handle and the text a key's full path begins with.
// The names and the path parser are the portable ones (portable/registry_path.h).
struct RegistryRoot {
  RegistryRootId id;
  HKEY handle;
  const char16_t* path_name;
};
extern const RegistryRoot kRegistryRoots[6];

// Open flags.
enum : unsigned {
  kRegNoStack = 0x1,       // do not keep the previous key on the stack
  kRegTestRead = 0x4,      // existence test with KEY_READ instead of KEY_ALL_ACCESS
  kRegShowError = 0x10,    // a failure shows the "Registry Error" box
  kRegOpenOnly = 0x40,     // never create the key
  kRegView64 = 0x100,      // KEY_WOW64_64KEY
  kRegView32 = 0x200,      // KEY_WOW64_32KEY
  kRegViewMask = 0x300,
  kRegNoSecurity = 0x800,  // create without the library's security descriptor
};

// Value write flags.
enum : unsigned {
  kRegDeleteIfEmpty = 0x8,  // an empty text (or 0) deletes the value instead
  kRegBinaryValue = 0x80,   // REG_BINARY
  kRegExpandValue = 0x100,  // REG_EXPAND_SZ
  kRegWideText = 0x1000,    // the text is UTF-16
};

// Access masks.
constexpr REGSAM kRegRead = 0x20009;       // query and enumerate
constexpr REGSAM kRegWrite = 0x20006;      // set value and create sub-key
constexpr REGSAM kRegReadWrite = 0x2000F;

// What an open did; a failure leaves the system error as the last error.
enum class KeyOpen { kFailed, kOpened, kCreated };
constexpr bool Opened(KeyOpen result) { return result != KeyOpen::kFailed; }
// What DeleteValue did; a value that was not there counts as deleted.
enum class ValueDelete { kDeleted, kMissing, kFailed };
constexpr bool Deleted(ValueDelete result) { return result != ValueDelete::kFailed; }

// The system's uninstall key (below HKLM), where products register.
inline constexpr char16_t kUninstallKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const wchar_t* kProfileListKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(RegistryKey&&) = default;
  RegistryKey& operator=(RegistryKey&&) = default;

  [[nodiscard]] KeyOpen Open(HKEY root, std::u16string_view subkey, unsigned flags, REGSAM access);
  [[nodiscard]] KeyOpen Open(HKEY root, std::string_view subkey, unsigned flags, REGSAM access);  // ANSI sub-key
  // "\HKLM\Software\X" (prefix in any case, or without its final backslash).
  [[nodiscard]] KeyOpen OpenPath(std::u16string_view path, unsigned flags, REGSAM access);
  [[nodiscard]] KeyOpen OpenSubKey(std::u16string_view subkey, unsigned flags, REGSAM access);
  // Closes the current key and makes the one it came from current again;
  // false when the stack is empty.
  bool ReturnToPrevious();
  // Closes the current key and forgets the stack.
  void Close();

  bool IsOpen() const { return key_.valid(); }
  HKEY Handle() const { return key_.get(); }
  const std::u16string& FullPath() const { return path_; }

  static bool KeyExists(HKEY root, std::u16string_view subkey, unsigned flags);

  bool WriteString(std::u16string_view name, std::u16string_view text, unsigned flags);
  bool WriteString(std::string_view name, std::string_view text, unsigned flags);  // ANSI call
  bool WriteNumber(std::u16string_view name, DWORD value, unsigned flags);
  bool WriteReal(std::u16string_view name, double value);
  bool WriteFlag(std::u16string_view name, bool value);

  DWORD ReadNumber(std::u16string_view name, DWORD fallback);
  bool ReadFlag(std::u16string_view name, bool fallback);
  double ReadReal(std::u16string_view name, double fallback);
  // `value_path` is a key path in the "\HKLM\..." form, a backslash and the
  // value name; a missing key or value gives `fallback`. The view bits of
  // `flags` choose the registry view.
  static std::u16string ReadString(std::u16string_view value_path, std::u16string_view fallback, unsigned flags = 0);
  std::u16string ReadValueText(std::u16string_view name, std::u16string_view fallback);
  // A REG_SZ or REG_EXPAND_SZ value read whole, with its type, so that it can
  // be written back as it was; false (the reason as last error) otherwise.
  bool ReadTextValue(std::u16string_view name, std::u16string* text, DWORD* type);

  ValueDelete DeleteValue(std::u16string_view name);
  ValueDelete DeleteValue(std::string_view name);

  // Ends the program: the key `missing` below the open key is required by `program`.
  [[noreturn]] void RequiredKey(std::u16string_view program, std::u16string_view missing) const;

  // The security identifiers of the users' hives.
  static std::vector<std::u16string> UserHives(const wchar_t* profile_list = kProfileListKey);
  // Opens HKEY_USERS\<user>\<subkey> for every user and applies `operation`.
  // Users whose hive cannot be opened are skipped, and so are users without
  // the key when `flags` has kRegOpenOnly. False when the operation failed
  // for any user reached, or when there is no user at all.
  static bool ForEveryUser(std::u16string_view subkey, unsigned flags, REGSAM access,
                           const std::function<bool(RegistryKey&)>& operation,
                           const wchar_t* profile_list = kProfileListKey);

 private:
  struct Query {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
  };
  Query QueryValue(std::u16string_view name) const;
  static bool NumberOf(const Query& q, DWORD* value);
  KeyOpen OpenFrom(HKEY parent, const std::u16string& path_base, std::u16string_view subkey, unsigned flags,
               REGSAM access);
  static ValueDelete DeleteResult(LONG status);

  UniqueKey key_;
  std::u16string path_;
  std::vector<std::pair<UniqueKey, std::u16string>> stack_;
};

// "%.6f" without trailing zeros or a trailing point; minus zero is "0".
std::string FormatRegistryReal(double value);

}  // namespace ks
