// keldwick init: a commented starter project for the files in a folder.
#pragma once
#include <filesystem>
#include <string>

namespace ks::builder {

// The text of a starter project that installs the files of `folder`; paths in
// it are relative to `project_dir`, where the project file will be written.
// The product's name is the folder's name; a program found in the folder
// gets a start-menu shortcut in the comments.
std::string StarterProject(const std::filesystem::path& folder, const std::filesystem::path& project_dir);

}  // namespace ks::builder
