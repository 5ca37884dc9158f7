// Starting programs (waiting, window state, priority, error box) and opening
// documents through the shell; brings privileges and system error texts along.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/message_pump.h"
#include "core/privilege.h"
#include "core/system_error.h"

namespace ks {

// Launch flags.
enum : unsigned {
  kLaunchWait = 0x1,
  kLaunchNewConsole = 0x2,
  kLaunchIdlePriority = 0x4,
  kLaunchHighPriority = 0x8,  // wins over kLaunchIdlePriority
  kLaunchHidden = 0x10,
  kLaunchMaximized = 0x20,    // checked first
  kLaunchMinimized = 0x40,    // checked before kLaunchHidden
  kLaunchErrorBox = 0x80,
  kLaunchPumpWhileWaiting = 0x100,
  kLaunchInheritHandles = 0x200,
  kLaunchFolderFromProgram = 0x800,
};

// Launch results besides the exit code.
constexpr DWORD kLaunchNotStarted = 0x80000000u;
constexpr DWORD kLaunchNoExitCode = 0x80000001u;
constexpr DWORD kLaunchWaitSliceMs = 75;

// Starts `command_line` (no application name) in `folder` (empty: none).
// With kLaunchWait the result is the exit code; without it
// kLaunchNoExitCode. kLaunchNotStarted when the process could not be
// started, also for an empty command line. `pump` runs between the wait
// slices of kLaunchPumpWhileWaiting (default: PumpWaitingMessages).
DWORD Launch(std::u16string_view command_line, unsigned flags, std::u16string_view folder = {},
             DWORD* process_id = nullptr, const MessagePump& pump = {});

// The folder of the program named at the start of a command line (quotes
// removed), or empty when it has none or that folder does not exist.
std::u16string ProgramFolder(std::u16string_view command_line);

// What ShellExecuteW is asked; a test can stand in for the shell.
struct ShellRequest {
  std::u16string verb;  // empty: the default verb
  std::u16string target;
  std::u16string parameters;
  std::u16string folder;
  int show = SW_SHOWNORMAL;
};
using ShellCall = std::function<intptr_t(const ShellRequest&)>;

// Opens a document, program or link through the shell. An empty target fails
// with ERROR_INVALID_NAME. When the shell refuses with SE_ERR_ACCESSDENIED
// and the verb is empty or "open", it is asked again with "runas". A target
// starting with "file:///" is the local path after it, percent-decoded when
// the path as written does not exist.
bool OpenDocument(std::u16string_view target, std::u16string_view parameters = {}, std::u16string_view folder = {},
                  std::u16string_view verb = {}, int show = SW_SHOWNORMAL, const ShellCall& shell = {});
// 8-bit texts: "|" + UTF-8, else the ANSI code page.
bool OpenDocument(std::string_view target, std::string_view parameters, std::string_view folder,
                  std::string_view verb, int show = SW_SHOWNORMAL);

// "%41%42" -> "AB": percent escapes decoded as UTF-8 bytes.
std::u16string PercentDecode(std::u16string_view text);

}  // namespace ks
