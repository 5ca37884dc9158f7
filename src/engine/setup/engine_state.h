// The engine's process-wide state, in one place: what the command line, the
// archive and the settings gave, and the few values the run changes later.
#pragma once
#include <windows.h>

#include <string>

#include "portable/archive.h"
#include "portable/command_line.h"
#include "portable/settings.h"

namespace ks {

struct EngineState {
  HINSTANCE instance = nullptr;
  HICON large_icon = nullptr, small_icon = nullptr;
  std::u16string module_path;   // the running executable
  std::u16string windows_folder;
  CommandLine command_line;

  // Filled once by the archive reader and the settings reader, then read.
  ArchiveHeader header;
  Settings settings;
  bool settings_loaded = false;  // the string table is usable for messages

  // Run state.
  bool AutomaticMode = false;
  bool redirection_failed = false;  // a 64-bit product whose file-system redirection stayed on
};

// The one instance, created at first use on the main thread.
EngineState& Engine();

}  // namespace ks
