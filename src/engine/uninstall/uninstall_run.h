// The uninstall run: removes the product named on the command line.
#pragma once
#include <string>

namespace ks {

// True when the product was removed.
bool RunUninstaller(const std::u16string& product_name);

}  // namespace ks
