// The registrations after the file loop: shared-file counts, COM servers,
// type libraries and driver INF files, on the lists the file loop collected.
#pragma once

namespace ks {

struct InstallRun;

// Progress 92 to 95; no failure here stops the installation.
void RegisterComponents(InstallRun& run);

}  // namespace ks
