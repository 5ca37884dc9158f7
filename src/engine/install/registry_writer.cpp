// The product key and the registry entries text.
#include "install/registry_writer.h"

#include <vector>

#include "core/system_error.h"
#include "core/wide.h"
#include "portable/registry_entries.h"
#include "portable/text.h"

namespace ks {
namespace {

std::u16string_view TrimBlanks(std::u16string_view s) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

void CreateKey(std::u16string_view path, unsigned view) {
  std::u16string_view rest;
  if (SplitAllUsersPath(path, rest)) {
    RegistryKey::ForEveryUser(rest, view, kEntryAccess, [](RegistryKey&) { return true; });
    return;
  }
  RegistryKey key;
  (void)key.OpenPath(path, view | kRegNoStack, kEntryAccess);
}

void WriteValue(const std::vector<std::string>& fields, const RegistryWriteContext& context) {
  std::u16string path = Utf8ToUtf16(fields[kEntryKey]);
  std::u16string name = Utf8ToUtf16(fields[kEntryName]);
  RegistryValueData value = MakeRegistryValue(fields[kEntryType], fields[kEntryData], context.expand);
  auto write = [&](RegistryKey& key) {
    return WriteRawValue(key, name, value.type, value.bytes.data(), value.bytes.size());
  };
  std::u16string_view rest;
  if (SplitAllUsersPath(path, rest)) {
    // Hives that refuse the key or the value are passed over without a word.
    RegistryKey::ForEveryUser(rest, context.view, kEntryAccess, write);
    return;
  }
  RegistryKey key;
  if (!Opened(key.OpenPath(path, context.view | kRegNoStack, kEntryAccess))) {
    context.add_failure(u"Failed to create registry key: " + path + u"\r\n");
    return;
  }
  if (!write(key)) {
    DWORD error = GetLastError();
    context.add_failure(u"Failed to create registry value \"" + name + u"\": " + SystemErrorText(error) + u"\r\n");
  }
}

}  // namespace

bool WriteRawValue(RegistryKey& key, std::u16string_view name, DWORD type, const void* bytes, size_t size) {
  if (!key.IsOpen()) return SetLastError(ERROR_INVALID_HANDLE), false;
  LONG status = RegSetValueExW(key.Handle(), W(std::u16string(name)), 0, type, static_cast<const BYTE*>(bytes),
                               DWORD(size));
  SetLastError(DWORD(status));
  return status == ERROR_SUCCESS;
}

bool CreateProductKey(std::u16string_view name, unsigned view) {
  std::u16string subkey = u"Software\\" + std::u16string(name);
  RegistryKey::ForEveryUser(subkey, view, kEntryAccess, [](RegistryKey&) { return true; });
  RegistryKey key;
  return Opened(key.Open(HKEY_LOCAL_MACHINE, subkey, view | kRegNoStack, kEntryAccess));
}

void WriteRegistry2Text(std::string_view text, const RegistryWriteContext& context) {
  for (std::string_view line : Registry2Lines(text)) {
    std::vector<std::string> fields = SplitRegistry2Line(line);
    if (fields.size() == 1) {
      std::u16string path = Utf8ToUtf16(fields[0]);
      std::u16string_view trimmed = TrimBlanks(path);
      if (!trimmed.empty()) CreateKey(trimmed, context.view);
    } else if (fields.size() == kValueEntryFields) {
      if (fields[kEntrySkipAtInstall] == "1") continue;
      WriteValue(fields, context);
    } else {
      context.add_failure(u"Illegal registry entry: " + Utf8ToUtf16(line) + u"\r\n");
    }
  }
}

}  // namespace ks
