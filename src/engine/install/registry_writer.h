// The settings' own registry entries: the product key and the entries text,
// written in the product's registry view, below every user for "\HKAU\".
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "core/registry_key.h"

namespace ks {

// How the writers reach the registry and where their failures go.
struct RegistryWriteContext {
  unsigned view = 0;  // kRegView64 for 64-bit products, else the process's own view
  std::function<std::u16string(std::u16string)> expand;  // folder variables, for REG_SZ data
  std::function<void(std::u16string_view)> add_failure;  // failure-summary paragraphs
};

// Every key this phase opens: query, set, create and enumerate (0x2000F), in
// the context's view.
constexpr REGSAM kEntryAccess = kRegReadWrite;

// Creates HKLM "Software\<name>" and the same key in every user's hive. The
// machine's key decides the result; false leaves its error as last error.
bool CreateProductKey(std::u16string_view name, unsigned view);

// Writes the entries text line by line: one field creates a key, six fields
// write a value (unless field 5 is "1"), anything else is reported.
void WriteRegistry2Text(std::string_view text, const RegistryWriteContext& context);

// Writes `bytes` as a value of `type` into the open key; false with the
// system error as last error.
bool WriteRawValue(RegistryKey& key, std::u16string_view name, DWORD type, const void* bytes, size_t size);

}  // namespace ks
