// The uninstall run: removes the product named on the command line.
#pragma once
#include <string>

namespace ks {

// What the uninstall run decides and its phases produce, as InstallRun does
// for the installation.
struct UninstallRun {
  std::u16string product_name;
  bool removed = false;  // the product was removed without failures
};

// True when the product was removed.
bool RunUninstaller(const std::u16string& product_name);

}  // namespace ks
