// The product's place on disk: the earlier installation, the destination
// folder with its tests, and the start-menu folder.
#pragma once
#include <cstdint>
#include <string>

namespace ks {

struct InstallRun;

// Reads what the uninstall key says of an earlier installation.
void FindEarlierInstallation(InstallRun& run);
// Fixes InstallDir (registry source, earlier installation or the folder page).
void ChooseDestination(InstallRun& run);
void ChooseStartMenu(InstallRun& run);
// The space the product needs on InstallDir's drive.
uint64_t RequiredSpaceNow(const InstallRun& run);
// The same for a folder the user is typing on the folder page.
uint64_t RequiredSpaceFor(const InstallRun& run, const std::u16string& folder);

}  // namespace ks
