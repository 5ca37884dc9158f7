// The manifest set in the package manager's YAML form (schema 1.6.0).
#include "manifest.h"

#include "named_values.h"
#include "portable/text.h"

namespace ks::builder {

namespace {

constexpr const char kManifestVersion[] = "1.6.0";

// A single-quoted YAML scalar: only the quote itself needs doubling.
std::string Scalar(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string Alnum(const std::string& text) {
  std::string out;
  for (char c : text)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out += c;
  return out;
}

std::string Header(const std::string& id, const std::string& version) {
  return "# Written by keldwick manifest.\n"
         "PackageIdentifier: " + Scalar(id) + "\nPackageVersion: " + Scalar(version) + "\n";
}

std::string Footer(const char* type) {
  return std::string("ManifestType: ") + type + "\nManifestVersion: " + kManifestVersion + "\n";
}

}  // namespace

std::string DefaultPackageId(const Settings& s) {
  std::string product = Alnum(Utf16ToUtf8(s.ProductName));
  std::string publisher = Alnum(Utf16ToUtf8(s.Publisher));
  if (product.empty()) return {};
  return publisher.empty() ? product + "." + product : publisher + "." + product;
}

bool ComposeManifest(const Project& project, const ManifestInput& input, std::vector<ManifestFile>& out,
                     std::string& problem) {
  const Settings& s = project.settings;
  std::string id = input.package_id.empty() ? DefaultPackageId(s) : input.package_id;
  std::string version = s.ProductVersion;  // 8-bit, as the uninstall key's DisplayVersion
  if (id.empty() || id.find('.') == std::string::npos) {
    problem = "the package identifier must be Publisher.Product: give it with --id";
    return false;
  }
  if (version.empty()) {
    problem = "the product has no version ([product] version)";
    return false;
  }
  if (input.installer_url.rfind("https://", 0) != 0 && input.installer_url.rfind("http://", 0) != 0) {
    problem = "--url must be the installer's http(s) address";
    return false;
  }
  std::string name = Utf16ToUtf8(s.ProductName);
  std::string publisher = Utf16ToUtf8(s.Publisher);
  std::string description = Utf16ToUtf8(s.ProductDescription);
  std::u16string key = s.UninstallKeyName.empty() ? s.ProductName : s.UninstallKeyName;

  out.clear();
  out.push_back({id + ".yaml", Header(id, version) + "DefaultLocale: " + input.locale + "\n" + Footer("version")});

  std::string installer = Header(id, version);
  installer += "InstallerType: exe\n";
  installer += "Scope: machine\n";  // the uninstall key lives under HKLM
  installer += "InstallModes:\n- silent\n- silentWithProgress\n";
  // /e: the engine's exit codes say success, restart needed, cancel and failure apart.
  installer += "InstallerSwitches:\n";
  installer += "  Silent: /a /e\n";
  installer += "  SilentWithProgress: /a /e\n";
  installer += "  InstallLocation: /d:\"<INSTALLPATH>\"\n";
  installer += "ExpectedReturnCodes:\n";
  installer += "- InstallerReturnCode: " + std::to_string(kExitCancelled) + "\n  ReturnResponse: cancelledByUser\n";
  installer += "- InstallerReturnCode: " + std::to_string(kExitAnotherInstallation) +
               "\n  ReturnResponse: installInProgress\n";
  installer += "- InstallerReturnCode: " + std::to_string(kExitRestartNeeded) +
               "\n  ReturnResponse: rebootRequiredToFinish\n";
  installer += "UpgradeBehavior: install\n";
  installer += "ProductCode: " + Scalar(Utf16ToUtf8(key)) + "\n";
  installer += "Installers:\n";
  installer += std::string("- Architecture: ") + (s.Bitness == 1 ? "x64" : "x86") + "\n";
  installer += "  InstallerUrl: " + Scalar(input.installer_url) + "\n";
  installer += "  InstallerSha256: " + input.installer_sha256 + "\n";
  installer += Footer("installer");
  out.push_back({id + ".installer.yaml", installer});

  std::string locale = Header(id, version);
  locale += "PackageLocale: " + input.locale + "\n";
  locale += "Publisher: " + Scalar(publisher.empty() ? name : publisher) + "\n";
  locale += "PackageName: " + Scalar(name) + "\n";
  locale += "License: " + Scalar(input.license) + "\n";
  locale += "ShortDescription: " + Scalar(description.empty() ? name : description) + "\n";
  locale += Footer("defaultLocale");
  out.push_back({id + ".locale." + input.locale + ".yaml", locale});
  return true;
}

}  // namespace ks::builder
