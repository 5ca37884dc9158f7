// The registry's root names and the parsers of path texts that begin with one.
#include "registry_path.h"

#include "text.h"

namespace ks {

const RegistryRootName kRegistryRootNames[6] = {
    {RegistryRootId::kLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RegistryRootId::kCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegistryRootId::kClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {RegistryRootId::kUsers, "HKEY_USERS", "HKU"},
    {RegistryRootId::kCurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
    {RegistryRootId::kDynData, "HKEY_DYN_DATA", "HKDD"},
};

namespace {

std::u16string Wide(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

const RegistryRootName& RootName(RegistryRootId id) {
  for (const RegistryRootName& r : kRegistryRootNames)
    if (r.id == id) return r;
  return kRegistryRootNames[0];
}

std::optional<RegistryPathParts> SplitRegistryPath(std::u16string_view path) {
  for (bool with_separator : {true, false}) {
    for (const RegistryRootName& r : kRegistryRootNames) {
      std::u16string prefix = u"\\" + Wide(r.short_name) + (with_separator ? u"\\" : u"");
      if (StartsWithNoCase(path, prefix)) return RegistryPathParts{r.id, path.substr(prefix.size())};
    }
  }
  return std::nullopt;
}

std::optional<RegistryPathParts> SplitWrittenRegistryPath(std::u16string_view text) {
  if (!text.empty() && text.front() == u'\\') text.remove_prefix(1);
  size_t slash = text.find(u'\\');
  if (slash == std::u16string_view::npos) return std::nullopt;
  std::u16string_view name = text.substr(0, slash);
  for (const RegistryRootName& r : kRegistryRootNames) {
    if (name.size() == r.short_name.size() && StartsWithNoCase(name, Wide(r.short_name)))
      return RegistryPathParts{r.id, text.substr(slash + 1)};
    if (name.size() == r.long_name.size() && StartsWithNoCase(name, Wide(r.long_name)))
      return RegistryPathParts{r.id, text.substr(slash + 1)};
  }
  return std::nullopt;
}

}  // namespace ks
