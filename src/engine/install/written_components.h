// What follows the writing of a font, an MSI package or an applet inside the
// file loop: their registration, logged, recorded for the uninstaller.
#pragma once
#include <windows.h>

#include <string>

#include "install/install_context.h"
#include "portable/payload.h"
#include "portable/uninstall_data.h"

namespace ks {

// Registers the file of `record` just written to `destination`; other kinds
// need nothing here. Failures are logged and never stop the installation.
void RegisterWrittenComponent(const FileRecord& record, const std::u16string& destination, InstallSink& sink,
                              UninstallData& data, HWND owner);

}  // namespace ks
