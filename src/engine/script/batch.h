// RunBatch: writes a generated batch file with the folder-variable preamble,
// runs it through the command interpreter, captures its output into the log.
#pragma once
#include <string>
#include <string_view>

#include "core/message_pump.h"
#include "portable/batch_text.h"
#include "script/install_log.h"

namespace ks {

// What a batch takes from the run. The caller builds it from the current
// installation values, so this file needs no global state.
struct BatchContext {
  BatchValue value;             // folder variables by VariableId (Temp gives the fallback folder)
  std::u16string install_dir;   // the batch runs here when the folder exists
  bool silent = false;          // no message boxes; PAUSE lines go
  InstallLog* log = nullptr;    // required
  MessageBoxCall show_error;    // absent: no box is shown
  MessagePump pump;             // run between the 75 ms wait slices
};

// The interpreter: %comspec% when it expands; else command.com in the
// Windows folder on Windows 9x, cmd.exe in the 32-bit system folder
// otherwise. The path is returned whether or not the file exists.
std::u16string CommandInterpreter();

// UTF-8 batches need XP or later; older systems get code page 1252.
bool Utf8Batches();
// The short form of an existing path; the path itself when there is none.
std::u16string ShortPath(const std::u16string& path);

// True when the text is empty or the batch was written and started; false
// when the interpreter is missing, the file cannot be written or the process
// cannot be started. Every failure is logged (and shown unless silent).
bool RunBatch(const BatchContext& context, std::string_view text, std::u16string_view title, bool hidden);

}  // namespace ks
