// keldwick manifest: the package-manager manifest set (version, installer,
// default locale) that lets deployment tools install the product silently.
#pragma once
#include <span>
#include <string>
#include <vector>

#include "project.h"

namespace ks::builder {

struct ManifestInput {
  std::string installer_url;   // where the installer is published
  std::string installer_sha256;
  std::string package_id;      // empty: Publisher.Product without blanks
  std::string license = "Proprietary";
  std::string locale = "en-US";
};

struct ManifestFile {
  std::string name;  // "<id>.yaml", "<id>.installer.yaml", "<id>.locale.<locale>.yaml"
  std::string text;
};

// The exit codes the engine gives with its /e atom, as the manifest maps them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRestartNeeded = 3010;
inline constexpr int kExitCancelled = 1602;
inline constexpr int kExitAnotherInstallation = 1618;
inline constexpr int kExitFailure = 1603;

// The package identifier derived from publisher and product name: each part
// keeps its letters and digits only, joined by "."; "" when the name has none.
std::string DefaultPackageId(const Settings& settings);

// False (with `problem`) when the project lacks what a manifest must name.
bool ComposeManifest(const Project& project, const ManifestInput& input, std::vector<ManifestFile>& out,
                     std::string& problem);

}  // namespace ks::builder
