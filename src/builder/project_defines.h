// Values given on the command line (--define NAME=VALUE) and their ${NAME}
// references in the project file's strings, for versions and paths that come
// from a build pipeline.
#pragma once
#include <string>
#include <string_view>

#include <toml++/toml.h>

#include "project.h"

namespace ks::builder {

// Adds "NAME=VALUE" to `defines`; false (with `problem`) when it is not of
// that form or NAME is not a name (letters, digits, "_", not starting with a digit).
bool ParseDefine(std::string_view argument, Defines& defines, std::string& problem);

// `text` with every ${NAME} replaced by its value; "$${" stands for a literal
// "${". False (with `problem`) on an undefined name or an unclosed reference.
bool SubstituteDefines(std::string_view text, const Defines& defines, std::string& out, std::string& problem);

// Substitutes in every string value of `root`, nested tables and arrays
// included (keys stay as written). The error names the string's place.
bool ExpandDefines(toml::table& root, const Defines& defines, const std::string& file_name, ProjectError& error);

}  // namespace ks::builder
