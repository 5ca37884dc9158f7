// Where the installer and the uninstaller make their main window: from the
// settings as they are read, or from the values the installation saved.
#pragma once
#include <string>

#include "portable/display_settings.h"
#include "portable/settings.h"

namespace ks {

// Called between settings fields 7 and 8: only the fields read so far are
// known; the rest of the look arrives with UpdateInstallerWindow.
void CreateInstallerWindow(const Settings& settings);
void UpdateInstallerWindow(const Settings& settings);

// The uninstaller's window: "uninstall.ico" in `folder`, when there is one,
// is its large and small icon.
void CreateUninstallerWindow(DisplaySettings look, const std::u16string& folder);

}  // namespace ks
