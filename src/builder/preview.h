// `keldwick preview PROJECT.toml -o DIR`: the installer's pages as PNGs,
// shot under Wine with a private prefix and a private X server.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace ks::builder {

// The text printed when Wine or Xvfb is missing; `missing` names them.
std::string MissingToolsMessage(const std::vector<std::string>& missing);

// `args` are the command's arguments after "preview"; `engine` is the engine
// used unless --engine names another; the probe is looked up beside it.
int PreviewCommand(const std::vector<std::string>& args, const std::filesystem::path& engine);

}  // namespace ks::builder
