// The registry's six roots by name, and the one parser of path texts that
// begin with a root: the engine's "\HKLM\..." form and a project's "HKLM\...".
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace ks {

enum class RegistryRootId { kLocalMachine, kCurrentUser, kClassesRoot, kUsers, kCurrentConfig, kDynData };

struct RegistryRootName {
  RegistryRootId id;
  std::string_view long_name;   // "HKEY_LOCAL_MACHINE"
  std::string_view short_name;  // "HKLM"
};
// In the order in which path prefixes are tried.
extern const RegistryRootName kRegistryRootNames[6];

struct RegistryPathParts {
  RegistryRootId root;
  std::u16string_view rest;  // the sub-key (and value) after the root
};

// The engine's path form: "\" + short name + "\" + rest, the name in any
// letter case. A path whose name is followed directly by the rest
// ("\HKLMSoftware") is taken too, after every full prefix has been tried.
std::optional<RegistryPathParts> SplitRegistryPath(std::u16string_view path);

// What a person writes: a short or long root name in any letter case, an
// optional leading backslash, then "\" and the rest. Empty when the text
// does not begin with a root.
std::optional<RegistryPathParts> SplitWrittenRegistryPath(std::u16string_view text);

const RegistryRootName& RootName(RegistryRootId id);

}  // namespace ks
