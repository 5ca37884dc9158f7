// The product's place on disk: the earlier installation, the destination
// folder with its tests, and the start-menu folder.
#pragma once
#include <cstdint>

#include "ui/wizard.h"

namespace ks {

// Reads what the uninstall key says of an earlier installation.
void FindEarlierInstallation();
// Fixes InstallDir (registry source, earlier installation or the folder page).
void ChooseDestination(Wizard& wizard);
void ChooseStartMenu(Wizard& wizard);
// The space the product needs on InstallDir's drive.
uint64_t RequiredSpaceNow();

}  // namespace ks
