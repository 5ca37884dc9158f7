// The engine's process-wide state, in one place: what the command line, archive
// and settings gave (const after start-up), and the run state (setup/install_run.h).
#pragma once
#include <windows.h>

#include <string>

#include "core/handle.h"
#include "portable/archive.h"
#include "portable/command_line.h"
#include "portable/settings.h"
#include "script/install_log.h"
#include "setup/install_run.h"

namespace ks {

class SetupArchive;

class EngineState {
 public:
  HINSTANCE instance = nullptr;
  HICON large_icon = nullptr, small_icon = nullptr;
  std::u16string module_path;   // the running executable
  std::u16string windows_folder;
  CommandLine command_line;

  // Filled once by the archive and settings reader at start-up, then read.
  const ArchiveHeader& header() const { return header_; }
  const Settings& settings() const { return settings_; }
  bool settings_loaded() const { return settings_loaded_; }  // the string table is usable for messages

  bool AutomaticMode = false;
  bool redirection_failed = false;  // a 64-bit product whose file-system redirection stayed on
  bool uninstalling = false;
  UniqueHandle single_instance;  // the "Keldwick GCS" mutex, held until exit

  // The installation log: the fatal path and the exit discard it.
  InstallLog log;
  bool log_active = false;

  // What the installation run decides and its phases produce
  // (setup/install_run.h). Here because texts and folder variables are
  // looked up from everywhere during the run.
  InstallRun run;

 private:
  // The one writer of the header and the settings.
  friend void ReadInstallerSettings(SetupArchive& archive);
  ArchiveHeader header_;
  Settings settings_;
  bool settings_loaded_ = false;
};

// The one instance, created at first use on the main thread.
EngineState& Engine();

}  // namespace ks
