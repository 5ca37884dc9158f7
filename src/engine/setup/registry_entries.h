// The installation phase that writes the product key, the settings' registry
// entries and the file associations.
#pragma once

namespace ks {

struct InstallRun;

void WriteRegistryEntries(InstallRun& run);

}  // namespace ks
