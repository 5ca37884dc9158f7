// The uninstaller's main window: the installer's look, rebuilt from the
// values saved in the uninstall key and the files of the uninstall folder.
#pragma once
#include "portable/display_settings.h"
#include "core/registry_key.h"
#include "uninstall/uninstall_run.h"

namespace ks {

// The display record from the product's key; with the background-bitmap
// flag, the picture from "Installer Background.bmp" in `folder`.
DisplaySettings ReadSavedAppearance(RegistryKey& key, uint32_t option_flags, uint32_t option_flags2,
                                    const std::u16string& folder);

// Start-up step 5: unless the window is turned off, hands the record and the
// uninstall folder to the window seam.
void ShowUninstallWindow(UninstallRun& run, RegistryKey& key);

}  // namespace ks
