// Writing the uninstall key's values.
#include "setup/uninstall_key_writer.h"

#include "core/code_page.h"

namespace ks {
namespace {

bool WriteOne(RegistryKey& key, const UninstallKeyValue& v) {
  if (v.remove) return Deleted(key.DeleteValue(v.name));
  switch (v.kind) {
    case KeyValueKind::kText16: return key.WriteString(v.name, v.text16, kRegWideText);
    case KeyValueKind::kExpand16: return key.WriteString(v.name, v.text16, kRegWideText | kRegExpandValue);
    case KeyValueKind::kText8: return key.WriteString(SystemCodePage().FromWide(v.name), v.text8, 0);
    case KeyValueKind::kNumber: return key.WriteNumber(v.name, v.number, 0);
    case KeyValueKind::kUnknown: break;
  }
  return false;
}

}  // namespace

bool WriteKeyValues(RegistryKey& key, const std::vector<UninstallKeyValue>& values, unsigned view,
                    const ValueFailure& failed) {
  for (const UninstallKeyValue& v : values) {
    if (v.kind == KeyValueKind::kUnknown) return false;
    std::u16string shown = v.subkey.empty() ? v.name : v.subkey + u"\\" + v.name;
    if (v.subkey.empty()) {
      if (!WriteOne(key, v)) failed(shown, GetLastError());
      continue;
    }
    if (!Opened(key.OpenSubKey(v.subkey, view & kRegViewMask, KEY_ALL_ACCESS))) {
      failed(shown, GetLastError());
      continue;
    }
    if (!WriteOne(key, v)) failed(shown, GetLastError());
    key.ReturnToPrevious();
  }
  return true;
}

}  // namespace ks
