// The start-up sequence: process set-up, command line, then the uninstaller or
// the installer archive and settings. Never returns.
#pragma once
#include <windows.h>

namespace ks {

class SetupArchive;

[[noreturn]] void RunEngine(HINSTANCE instance);

// Reads the archive header and the settings into the engine state: their one
// writer, at start-up.
void ReadInstallerSettings(SetupArchive& archive);

}  // namespace ks
