// The engine's command line: the tokenizer and the atoms (/a, /d:, /n:, /u,
// /r:, /b1:..b3:, MIN). Pure; the engine turns a usage error into the message.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "text.h"

namespace ks {

constexpr int kMaxAtoms = 19;

struct CommandLine {
  bool AutomaticMode = false;
  bool UninstallMode = false;
  bool Minimised = false;
  bool DeploymentExitCodes = false;  // /e: exit codes a deployment tool can tell apart
  std::optional<std::u16string> InstallDir;  // /d
  std::string InstallDir8;
  std::optional<std::u16string> ProductName;  // /n
  std::string ProductName8;
  std::optional<std::u16string> UninstallName;  // /u:
  std::optional<std::u16string> RunProgram;     // /r:
  std::string BatchAdditions[3];                // /b1: /b2: /b3:

  // Set when the line is not usable: the text shown above the usage text.
  std::u16string usage_error;
};

// Takes the next token off `line` (leading white space skipped first). Quoted
// sections keep their quotes; a doubled quote inside one stands for one quote.
std::u16string NextToken(std::u16string& line);

// Parses the whole command line as the system gives it (program path first).
CommandLine ParseCommandLine(std::u16string_view full_line, const AnsiCodePage& code_page = SystemCodePage());

// The message of a usage error: the text, then the usage with the program name.
std::u16string UsageMessage(std::u16string_view text, std::u16string_view program_name);

}  // namespace ks
