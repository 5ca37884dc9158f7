// The starter project: every key a publisher usually sets, with the rest of
// the file format one comment away.
#include "init_project.h"

#include <algorithm>
#include <vector>

namespace ks::builder {

namespace fs = std::filesystem;

namespace {

// A TOML basic string.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// The programs directly in `folder`, in name order.
std::vector<std::string> Programs(const fs::path& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (it->is_regular_file(ec) && Lower(it->path().extension().string()) == ".exe") out.push_back(name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

std::string StarterProject(const fs::path& folder, const fs::path& project_dir) {
  std::error_code ec;
  fs::path absolute = fs::weakly_canonical(fs::absolute(folder, ec), ec);
  // A build's output folder says little about the product: take its parent's name.
  static constexpr const char* kGeneric[] = {"files", "dist", "build", "bin", "out", "release", "publish", "app"};
  fs::path named = absolute;
  if (std::find(std::begin(kGeneric), std::end(kGeneric), Lower(named.filename().string())) != std::end(kGeneric) &&
      named.has_parent_path())
    named = named.parent_path();
  std::string name = named.filename().string();
  if (name.empty()) name = "My Product";
  fs::path relative = fs::relative(absolute, fs::weakly_canonical(fs::absolute(project_dir, ec), ec), ec);
  std::string source = ec || relative.empty() ? absolute.generic_string() : relative.generic_string();
  std::vector<std::string> programs = Programs(folder);

  std::string t;
  t += "# Installer project for " + name + ". Build it with:\n";
  t += "#   keldwick build keldwick.toml -o setup.exe\n";
  t += "# Every key is described in docs/project-file.md; unknown keys are errors.\n\n";
  t += "[product]\n";
  t += "name = " + Quoted(name) + "\n";
  t += "version = \"1.0.0\"            # or \"${VERSION}\" with --define VERSION=...\n";
  t += "# publisher = \"Your Company\"\n";
  t += "# description = \"what the product does\"\n";
  t += "install_dir = " + Quoted("%ProgramsDir%\\" + name) + "\n";
  t += "start_menu = " + Quoted(name) + "\n";
  t += "uninstall_key = " + Quoted(name) + "   # the product's entry in the list of installed programs\n";
  t += "# silent = true                # install without asking anything\n";
  t += "# all_users = true             # shortcuts for every user of the machine\n\n";
  t += "[options]\n";
  t += "write_log = true               # Install.log in the uninstall folder\n";
  t += "# add_to_path = true           # the install folder joins the machine's PATH\n";
  t += "# restore_point = true\n\n";
  t += "# The product's files: a folder is taken with everything below it.\n";
  t += "[[files]]\n";
  t += "source = " + Quoted(source) + "\n";
  t += "# dest = \"bin\\\\\"                  # a sub-folder of the install folder\n";
  t += "# overwrite = \"unless_newer\"\n\n";
  if (!programs.empty()) {
    t += "# A start-menu shortcut to the program:\n";
    t += "# [[shortcuts]]\n";
    t += "# target = " + Quoted("%InstallDir%\\" + programs.front()) + "\n";
    t += "# name = " + Quoted(name) + "\n";
    t += "# start_menu = true\n";
    t += "# desktop = true\n\n";
  }
  t += "# Texts in other languages, picked by code or name:\n";
  t += "# [[languages]]\n";
  t += "# name = \"de\"\n";
  return t;
}

}  // namespace ks::builder
