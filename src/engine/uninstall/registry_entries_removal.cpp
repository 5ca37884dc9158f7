// The uninstaller's side of the settings' registry entries.
#include "uninstall/registry_entries_removal.h"

#include <algorithm>

#include "core/registry_key.h"
#include "core/wide.h"
#include "portable/registry_entries.h"
#include "portable/registry_path.h"
#include "portable/text.h"
#include "uninstall/registry_removal.h"

namespace ks {
namespace {

// Calls `apply(root, subkey)` for the key path's root, or for every user's
// hive when it is an all-users path.
template <typename Apply>
void ForEachTarget(std::u16string path, const Apply& apply) {
  if (!path.empty() && path.front() != u'\\') path.insert(path.begin(), u'\\');
  std::u16string_view rest;
  if (SplitAllUsersPath(path, rest)) {
    if (rest.empty()) return;
    for (const std::u16string& user : RegistryKey::UserHives()) apply(HKEY_USERS, user + u"\\" + std::u16string(rest));
    return;
  }
  auto parts = SplitRegistryPath(path);
  if (!parts || parts->rest.empty()) return;
  for (const RegistryRoot& root : kRegistryRoots)
    if (root.id == parts->root) apply(root.handle, std::u16string(parts->rest));
}

}  // namespace

void DeleteRegistryValue(HKEY root, const std::u16string& subkey, const std::u16string& name, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, W(subkey), 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, W(name));
  RegCloseKey(key);
}

void RemoveRegistryEntries(const std::vector<std::string>& lines, REGSAM view) {
  for (const std::string& line : lines) {
    std::vector<std::string> fields = SplitRegistry2Line(line);
    if (fields.size() == 1) {
      ForEachTarget(Utf8ToUtf16(fields[0]), [&](HKEY root, const std::u16string& subkey) {
        // A key right below its root is never taken whole.
        if (subkey.find(u'\\') != std::u16string::npos) DeleteKeyTree(root, subkey, view);
      });
    } else if (fields.size() == kValueEntryFields && fields[kEntryForUninstall] == "1") {
      std::u16string name = Utf8ToUtf16(fields[kEntryName]);
      ForEachTarget(Utf8ToUtf16(fields[kEntryKey]), [&](HKEY root, const std::u16string& subkey) {
        DeleteRegistryValue(root, subkey, name, view);
        // The installation created the key to hold the value: an emptied key
        // and its emptied parents go too, never a key right below its root
        // (below a user's hive for every-user entries).
        size_t keep = root == HKEY_USERS ? 2 : 1;
        for (std::u16string key = subkey; size_t(std::count(key.begin(), key.end(), u'\\')) >= keep;
             key.resize(key.rfind(u'\\'))) {
          if (!DeleteKeyIfEmpty(root, key, view)) break;
        }
      });
    }
  }
}

}  // namespace ks
