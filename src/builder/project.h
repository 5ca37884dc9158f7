// The project file: a TOML description of a product, compiled into the
// installer settings, the archive flags and the list of payload files.
#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "portable/payload.h"
#include "portable/settings.h"

namespace ks::builder {

// A problem in the project, with its place when it has one.
// Values given with --define NAME=VALUE, for ${NAME} in the project file.
using Defines = std::map<std::string, std::string, std::less<>>;

struct ProjectError {
  std::string file;
  int line = 0, column = 0;
  std::string message;
  // "FILE:LINE:COLUMN: message" (or "FILE: message" without a place).
  std::string Text() const;
  // The same with "warning: " before the message.
  std::string WarningText() const;
};

// Which flag word a named option sets.
enum class FlagWord { kOptionFlags, kOptionFlags2, kArchiveFlags };

struct NamedOption {
  std::string_view name;
  FlagWord word;
  uint32_t bit;
  bool default_on;
};

// Every option the [options] table accepts.
std::span<const NamedOption> OptionTable();

// One payload file: where its bytes come from and its record without content.
struct PayloadFile {
  std::filesystem::path source;
  FileRecord record;
};

struct Project {
  Settings settings;
  // What the project asks for that builds but may not do what the author expects.
  std::vector<ProjectError> warnings;
  uint32_t archive_flags = 0;
  // Blowfish key from [archive] key; derived at build time when absent.
  std::optional<std::array<uint8_t, 8>> blowfish_key;
  std::vector<PayloadFile> files;
};

// Parses `text` (named `file_name` in messages); relative sources resolve
// against `base_dir`, which is also walked for folder sources.
// `defines` fill the ${NAME} references in its strings.
bool ParseProject(std::string_view text, const std::string& file_name,
                  const std::filesystem::path& base_dir, Project& out, ProjectError& error,
                  const Defines& defines = {});
// Reads and parses a project file; sources resolve against its folder.
bool LoadProject(const std::filesystem::path& file, Project& out, ProjectError& error,
                 const Defines& defines = {});

// FILETIME (100 ns since 1601) of a file's last modification.
uint64_t FileTimeOf(const std::filesystem::path& path);

}  // namespace ks::builder
