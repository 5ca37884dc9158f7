// Runs another program (the code-signing tool) and collects what it prints.
#pragma once
#include <string>
#include <vector>

namespace ks::builder {

// Runs argv[0] (looked up in PATH) with the arguments, waits for it, and
// returns its exit code, or -1 when it could not be started. `output` gets
// its stdout and stderr together.
int RunProgram(const std::vector<std::string>& argv, std::string& output);

}  // namespace ks::builder
