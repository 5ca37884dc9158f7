// RegistryKey: opening by root or path text, value reads and writes, the
// users' hives and the required-key message.
#include "core/registry_key.h"

#include <cstdlib>
#include <cstring>

#include "core/fatal.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "portable/decimal_text.h"
#include "portable/text.h"

namespace ks {

const RegistryRoot kRegistryRoots[6] = {
    {RegistryRootId::kLocalMachine, HKEY_LOCAL_MACHINE, u"HKEY_LOCAL_MACHINE\\"},
    {RegistryRootId::kCurrentUser, HKEY_CURRENT_USER, u"HKEY_CURRENT_USER\\"},
    {RegistryRootId::kClassesRoot, HKEY_CLASSES_ROOT, u"HKEY_CLASSES_ROOT\\"},
    {RegistryRootId::kUsers, HKEY_USERS, u"HKEY_USERS\\"},
    {RegistryRootId::kCurrentConfig, HKEY_CURRENT_CONFIG, u"HKEY_CURRENT_CONFIG\\"},
    {RegistryRootId::kDynData, HKEY_DYN_DATA, u"HKEY_DYN_DATA"},
};

namespace {

const RegistryRoot* FindRoot(HKEY root) {
  for (const auto& row : kRegistryRoots)
    if (row.handle == root) return &row;
  return nullptr;
}

// The library's descriptor for new keys. It names no owner, group or rights
// of its own, so a new key takes its parent's inheritable rights and the
// creator's defaults: keys under HKLM stay readable by users and writable by
// administrators exactly as their parents are.
SECURITY_ATTRIBUTES* KeyCreationSecurity() {
  static SECURITY_DESCRIPTOR descriptor;
  static SECURITY_ATTRIBUTES attributes;
  static bool ready = false;
  if (!ready) {
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return nullptr;
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = FALSE;
    ready = true;
  }
  return &attributes;
}

std::string Ascii(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? char(c) : '?';
  return out;
}

std::u16string_view TrimSpace(std::u16string_view s) {
  auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return s;
}

// A number written as text: decimal with an optional sign, or "0x" hex.
bool ParseNumber(std::u16string_view text, DWORD* value) {
  std::string s = Ascii(TrimSpace(text));
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long parsed = _strtoi64(s.c_str(), &end, 0);  // the system's: hex, octal, decimal
  if (errno || !end || *end) return false;
  *value = DWORD(parsed);
  return true;
}

std::u16string TextOf(const std::vector<uint8_t>& data) {
  // Stored text need not end in a null; take what is there up to the first one.
  std::u16string text(data.size() / 2, u'\0');
  if (!text.empty()) memcpy(text.data(), data.data(), text.size() * 2);
  size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

}  // namespace

std::string FormatRegistryReal(double value) {
  std::string s = FixedText(value, 6);
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  // Minus zero, and tiny negatives that round to it, are plain zero.
  if (s == "-0") s = "0";
  return s;
}

KeyOpen RegistryKey::OpenFrom(HKEY parent, const std::u16string& path_base, std::u16string_view subkey, unsigned flags,
                          REGSAM access) {
  access |= REGSAM(flags & kRegViewMask);
  std::u16string name(subkey);
  HKEY opened = nullptr;
  DWORD disposition = REG_OPENED_EXISTING_KEY;
  LONG status;
  if (flags & kRegOpenOnly) {
    status = RegOpenKeyExW(parent, W(name), 0, access, &opened);
  } else {
    SECURITY_ATTRIBUTES* security = (flags & kRegNoSecurity) ? nullptr : KeyCreationSecurity();
    status = RegCreateKeyExW(parent, W(name), 0, const_cast<wchar_t*>(L""), 0, access, security, &opened,
                             &disposition);
    // Some hives (and some callers' rights) refuse an explicit descriptor.
    if (status != ERROR_SUCCESS && security)
      status = RegCreateKeyExW(parent, W(name), 0, const_cast<wchar_t*>(L""), 0, access, nullptr, &opened,
                               &disposition);
  }
  if (status != ERROR_SUCCESS) {
    if (flags & kRegShowError)
      MessageBoxW(nullptr, W(SystemErrorText(DWORD(status))), L"Registry Error", MB_ICONERROR | MB_OK);
    SetLastError(DWORD(status));
    return KeyOpen::kFailed;
  }
  std::u16string path = path_base;
  if (!subkey.empty()) path += name + u"\\";
  if (!(flags & kRegNoStack) && key_.valid()) stack_.emplace_back(std::move(key_), std::move(path_));
  key_.reset(opened);
  path_ = std::move(path);
  SetLastError(ERROR_SUCCESS);
  return disposition == REG_CREATED_NEW_KEY ? KeyOpen::kCreated : KeyOpen::kOpened;
}

KeyOpen RegistryKey::Open(HKEY root, std::u16string_view subkey, unsigned flags, REGSAM access) {
  const RegistryRoot* row = FindRoot(root);
  return OpenFrom(root, row ? std::u16string(row->path_name) : std::u16string(), subkey, flags, access);
}

KeyOpen RegistryKey::Open(HKEY root, std::string_view subkey, unsigned flags, REGSAM access) {
  return Open(root, SystemCodePage().ToWide(subkey), flags, access);
}

KeyOpen RegistryKey::OpenPath(std::u16string_view path, unsigned flags, REGSAM access) {
  if (std::optional<RegistryPathParts> parts = SplitRegistryPath(path)) {
    for (const auto& row : kRegistryRoots)
      if (row.id == parts->root) return Open(row.handle, parts->rest, flags, access);
  }
  SetLastError(ERROR_BAD_PATHNAME);
  return KeyOpen::kFailed;
}

KeyOpen RegistryKey::OpenSubKey(std::u16string_view subkey, unsigned flags, REGSAM access) {
  if (!key_.valid()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return KeyOpen::kFailed;
  }
  // The parent is closed (or pushed) only after the sub-key has been opened.
  return OpenFrom(key_.get(), path_, subkey, flags, access);
}

bool RegistryKey::ReturnToPrevious() {
  if (stack_.empty()) {
    key_.reset();
    path_.clear();
    return false;
  }
  key_ = std::move(stack_.back().first);
  path_ = std::move(stack_.back().second);
  stack_.pop_back();
  return true;
}

void RegistryKey::Close() {
  key_.reset();
  path_.clear();
  stack_.clear();
}

bool RegistryKey::KeyExists(HKEY root, std::u16string_view subkey, unsigned flags) {
  if (subkey.empty()) {
    SetLastError(ERROR_BAD_PATHNAME);
    return false;
  }
  RegistryKey key;
  REGSAM access = (flags & kRegTestRead) ? KEY_READ : KEY_ALL_ACCESS;
  return key.Open(root, subkey, (flags & kRegViewMask) | kRegOpenOnly | kRegNoStack, access) != KeyOpen::kFailed;
}

ValueDelete RegistryKey::DeleteResult(LONG status) {
  SetLastError(DWORD(status));
  if (status == ERROR_SUCCESS) return ValueDelete::kDeleted;
  if (status == ERROR_FILE_NOT_FOUND) return ValueDelete::kMissing;
  return ValueDelete::kFailed;
}

ValueDelete RegistryKey::DeleteValue(std::u16string_view name) {
  if (!key_.valid()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ValueDelete::kMissing;
  }
  return DeleteResult(RegDeleteValueW(key_.get(), W(std::u16string(name))));
}

ValueDelete RegistryKey::DeleteValue(std::string_view name) {
  if (!key_.valid()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ValueDelete::kMissing;
  }
  return DeleteResult(RegDeleteValueA(key_.get(), std::string(name).c_str()));
}

bool RegistryKey::WriteString(std::u16string_view name, std::u16string_view text, unsigned flags) {
  if (!key_.valid()) return SetLastError(ERROR_INVALID_HANDLE), false;
  if ((flags & kRegDeleteIfEmpty) && text.empty()) return Deleted(DeleteValue(name));
  DWORD type = (flags & kRegBinaryValue) ? REG_BINARY : (flags & kRegExpandValue) ? REG_EXPAND_SZ : REG_SZ;
  std::u16string value(text);
  // Text values keep their terminating null so that every reader finds it.
  DWORD bytes = DWORD((value.size() + (type == REG_BINARY ? 0 : 1)) * sizeof(char16_t));
  LONG status = RegSetValueExW(key_.get(), W(std::u16string(name)), 0, type,
                               reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  SetLastError(DWORD(status));
  return status == ERROR_SUCCESS;
}

bool RegistryKey::WriteString(std::string_view name, std::string_view text, unsigned flags) {
  if (!key_.valid()) return SetLastError(ERROR_INVALID_HANDLE), false;
  if ((flags & kRegDeleteIfEmpty) && text.empty()) return Deleted(DeleteValue(name));
  DWORD type = (flags & kRegBinaryValue) ? REG_BINARY : (flags & kRegExpandValue) ? REG_EXPAND_SZ : REG_SZ;
  std::string value(text);
  DWORD bytes = DWORD(value.size() + (type == REG_BINARY ? 0 : 1));
  LONG status = RegSetValueExA(key_.get(), std::string(name).c_str(), 0, type,
                               reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  SetLastError(DWORD(status));
  return status == ERROR_SUCCESS;
}

bool RegistryKey::WriteNumber(std::u16string_view name, DWORD value, unsigned flags) {
  if (!key_.valid()) return SetLastError(ERROR_INVALID_HANDLE), false;
  if ((flags & kRegDeleteIfEmpty) && value == 0) return Deleted(DeleteValue(name));
  LONG status = RegSetValueExW(key_.get(), W(std::u16string(name)), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&value), sizeof value);
  SetLastError(DWORD(status));
  return status == ERROR_SUCCESS;
}

bool RegistryKey::WriteReal(std::u16string_view name, double value) {
  return WriteString(SystemCodePage().FromWide(name), FormatRegistryReal(value), 0);
}

bool RegistryKey::WriteFlag(std::u16string_view name, bool value) { return WriteNumber(name, value ? 1 : 0, 0); }

RegistryKey::Query RegistryKey::QueryValue(std::u16string_view name) const {
  Query query;
  if (!key_.valid()) {
    query.status = ERROR_INVALID_HANDLE;
    return query;
  }
  std::u16string value_name(name);
  // The value may grow between the size query and the read; ask again then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    query.status = RegQueryValueExW(key_.get(), W(value_name), nullptr, &query.type, nullptr, &size);
    if (query.status != ERROR_SUCCESS) return query;
    query.data.assign(size, 0);
    query.status = RegQueryValueExW(key_.get(), W(value_name), nullptr, &query.type,
                                    query.data.empty() ? nullptr : query.data.data(), &size);
    if (query.status == ERROR_SUCCESS) {
      query.data.resize(size);
      return query;
    }
    if (query.status != ERROR_MORE_DATA) return query;
  }
  return query;
}

bool RegistryKey::NumberOf(const Query& q, DWORD* value) {
  switch (q.type) {
    case REG_DWORD:
    case REG_QWORD:
    case REG_BINARY:
      if (q.data.empty() || (q.type == REG_BINARY && q.data.size() > 4)) return false;
      *value = 0;
      memcpy(value, q.data.data(), q.data.size() < 4 ? q.data.size() : 4);
      return true;
    case REG_DWORD_BIG_ENDIAN:
      if (q.data.size() != 4) return false;
      *value = DWORD(q.data[0]) << 24 | DWORD(q.data[1]) << 16 | DWORD(q.data[2]) << 8 | q.data[3];
      return true;
    case REG_SZ:
    case REG_EXPAND_SZ:
      return ParseNumber(TextOf(q.data), value);
    default:
      return false;
  }
}

DWORD RegistryKey::ReadNumber(std::u16string_view name, DWORD fallback) {
  Query q = QueryValue(name);
  if (q.status != ERROR_SUCCESS) return SetLastError(DWORD(q.status)), fallback;
  DWORD value;
  return NumberOf(q, &value) ? value : fallback;
}

bool RegistryKey::ReadFlag(std::u16string_view name, bool fallback) {
  Query q = QueryValue(name);
  if (q.status != ERROR_SUCCESS) return SetLastError(DWORD(q.status)), fallback;
  if (q.type == REG_SZ || q.type == REG_EXPAND_SZ) {
    std::u16string text = TextOf(q.data);
    std::u16string_view t = TrimSpace(text);
    if (EqualsNoCase(t, u"true") || EqualsNoCase(t, u"yes")) return true;
    if (EqualsNoCase(t, u"false") || EqualsNoCase(t, u"no")) return false;
  }
  DWORD value;
  return NumberOf(q, &value) ? value != 0 : fallback;
}

double RegistryKey::ReadReal(std::u16string_view name, double fallback) {
  Query q = QueryValue(name);
  if (q.status != ERROR_SUCCESS) return SetLastError(DWORD(q.status)), fallback;
  if (q.type == REG_SZ || q.type == REG_EXPAND_SZ) {
    std::string s = Ascii(TrimSpace(TextOf(q.data)));
    if (s.empty()) return fallback;
    size_t used = 0;
    double value = ParseReal(s, &used);
    return used == s.size() ? value : fallback;
  }
  DWORD value;
  return NumberOf(q, &value) ? double(value) : fallback;
}

std::u16string RegistryKey::ReadValueText(std::u16string_view name, std::u16string_view fallback) {
  Query q = QueryValue(name);
  if (q.status != ERROR_SUCCESS) return SetLastError(DWORD(q.status)), std::u16string(fallback);
  switch (q.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:  // its first string
      return TextOf(q.data);
    case REG_DWORD:
      if (q.data.size() == 4) {
        DWORD v;
        memcpy(&v, q.data.data(), 4);
        return Widen(std::to_string(v));
      }
      break;
    case REG_QWORD:
      if (q.data.size() == 8) {
        uint64_t v;
        memcpy(&v, q.data.data(), 8);
        return Widen(std::to_string(v));
      }
      break;
  }
  return std::u16string(fallback);
}

bool RegistryKey::ReadTextValue(std::u16string_view name, std::u16string* text, DWORD* type) {
  Query q = QueryValue(name);
  if (q.status != ERROR_SUCCESS) return SetLastError(DWORD(q.status)), false;
  if (q.type != REG_SZ && q.type != REG_EXPAND_SZ) return SetLastError(ERROR_INVALID_DATATYPE), false;
  *text = TextOf(q.data);
  *type = q.type;
  return true;
}

std::u16string RegistryKey::ReadString(std::u16string_view value_path, std::u16string_view fallback,
                                       unsigned flags) {
  size_t slash = value_path.rfind(u'\\');
  if (slash == std::u16string_view::npos) {
    SetLastError(ERROR_BAD_PATHNAME);
    return std::u16string(fallback);
  }
  RegistryKey key;
  if (!Opened(key.OpenPath(value_path.substr(0, slash), (flags & kRegViewMask) | kRegOpenOnly | kRegNoStack, kRegRead)))
    return std::u16string(fallback);
  return key.ReadValueText(value_path.substr(slash + 1), fallback);
}

void RegistryKey::RequiredKey(std::u16string_view program, std::u16string_view missing) const {
  FatalFormat(
      "The following registry key is required by %s, but is invalid or does not exist:\n\n%s%s\n\n"
      "If you have tried moving this program to a different computer by copying files, this will not work.  "
      "This program must be reinstalled.",
      Utf16ToUtf8(program).c_str(), Utf16ToUtf8(path_).c_str(), Utf16ToUtf8(missing).c_str());
}

std::vector<std::u16string> RegistryKey::UserHives(const wchar_t* profile_list) {
  auto enumerate = [](HKEY key, bool filter) {
    std::vector<std::u16string> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = 256;
      LONG status = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS) break;
      std::u16string n = U16(name, length);
      if (filter) {
        bool classes = n.size() >= 8 && EqualsNoCase(std::u16string_view(n).substr(n.size() - 8), u"_Classes");
        if (EqualsNoCase(n, u".DEFAULT") || classes) continue;
      }
      names.push_back(std::move(n));
    }
    return names;
  };
  HKEY list = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, profile_list, 0, kRegRead, &list) == ERROR_SUCCESS) {
    UniqueKey owned(list);
    return enumerate(list, false);
  }
  return enumerate(HKEY_USERS, true);
}

bool RegistryKey::ForEveryUser(std::u16string_view subkey, unsigned flags, REGSAM access,
                               const std::function<bool(RegistryKey&)>& operation, const wchar_t* profile_list) {
  std::vector<std::u16string> users = UserHives(profile_list);
  if (users.empty()) {
    SetLastError(ERROR_NO_SUCH_USER);
    return false;
  }
  bool all_ok = true;
  DWORD first_error = ERROR_SUCCESS;
  for (const auto& user : users) {
    RegistryKey key;
    // Profiles of users who are not logged on have no hive loaded.
    if (!Opened(key.Open(HKEY_USERS, user, kRegOpenOnly | kRegNoStack | (flags & kRegViewMask), kRegRead))) continue;
    if (!subkey.empty() && !Opened(key.OpenSubKey(subkey, flags | kRegNoStack, access))) {
      if ((flags & kRegOpenOnly) && GetLastError() == ERROR_FILE_NOT_FOUND) continue;
      if (all_ok) first_error = GetLastError();
      all_ok = false;
      continue;
    }
    if (!operation(key)) {
      if (all_ok) first_error = GetLastError();
      all_ok = false;
    }
  }
  SetLastError(first_error);
  return all_ok;
}

}  // namespace ks
