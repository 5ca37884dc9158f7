// The registry entries, associations and firewall items of an installer in
// the project file's words, for `keldwick inspect`.
#pragma once
#include <nlohmann/json.hpp>

#include "portable/settings.h"

namespace ks::builder {

// Adds "registry", "associations" and "firewall" to `project`.
void AddRegistryProjectJson(const Settings& s, nlohmann::ordered_json& project);

}  // namespace ks::builder
