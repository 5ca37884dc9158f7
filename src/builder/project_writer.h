// Recovering a project from an installer (`keldwick inspect --project`): the
// project file and the files it names, built again into the same settings.
#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace ks::builder {

// Writes `dir`/project.toml with the payload files and the pictures, icons and
// texts it refers to, so that building it gives the installer's settings and
// files again. `dir` must not exist or be empty. The result is checked by
// compiling it once more; on a field a project file cannot express returns
// false with `error` naming it, and leaves nothing behind.
bool WriteProjectFromInstaller(std::span<const uint8_t> image, const std::filesystem::path& dir,
                               const std::string& installer_name, std::string& error);

}  // namespace ks::builder
