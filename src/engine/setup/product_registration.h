// The product's registration in the system's list of installed programs:
// the uninstall key with everything the uninstaller reads, and the
// settings' install-folder value.
#pragma once

namespace ks {

struct InstallRun;

// With the uninstaller option: the key's values in their order, read back;
// failures go to the failure summary. An unknown extra-value type ends the
// run as a damaged installer (200).
void RegisterProduct(InstallRun& run);

}  // namespace ks
