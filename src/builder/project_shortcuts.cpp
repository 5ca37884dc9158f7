// The project's shortcuts: [[shortcuts]] (the ShortcutList), the desktop
// folder with its icon, the uninstaller's icon, the root shortcut and the
// taskbar pin.
#include <fstream>
#include <iterator>

#include "portable/shortcut_rules.h"
#include "portable/text.h"
#include "project_compiler.h"

namespace ks::builder {

std::span<const NamedValue> ShortcutWindowNames() {
  static constexpr NamedValue kNames[] = {{"normal", 0}, {"minimized", 1}, {"maximized", 2}};
  return kNames;
}

namespace compile {

bool Compiler::ReadIcon(const toml::table& t, std::string_view key, Blob& out) {
  std::string name;
  if (!GetString(t, key, name)) return false;
  const toml::node* node = t.get(key);
  if (!node) return true;
  fs::path path = fs::path(name);
  if (path.is_relative()) path = base_dir_ / path;
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(*node, "cannot read the icon file " + path.string());
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (out.empty()) return Fail(*node, "the icon file " + path.string() + " is empty");
  return true;
}

bool Compiler::ShortcutList(const toml::array& a, Settings& s) {
  if (a.size() > size_t(kMaxListEntries)) return Fail(a, "at most 1000 [[shortcuts]] entries");
  for (const toml::node& node : a) {
    const toml::table& t = *node.as_table();
    if (!CheckKeys(t, "[[shortcuts]]",
                   {"target", "name", "icon", "arguments", "working_folder", "desktop", "start_menu", "startup",
                    "other_folder", "window", "keep_on_uninstall"}))
      return false;
    ShortcutEntry e;
    bool desktop = false, start_menu = false, startup = false, keep = false;
    const NamedValue* window = &ShortcutWindowNames()[0];
    if (!GetString(t, "target", e.Target, true, &node) || !GetAnsi(t, "target", e.Target) ||
        !GetString(t, "name", e.Name) || !GetAnsi(t, "icon", e.Icon) || !GetWide(t, "arguments", e.Arguments) ||
        !GetAnsi(t, "working_folder", e.WorkingFolder) || !GetBool(t, "desktop", desktop) ||
        !GetBool(t, "start_menu", start_menu) || !GetBool(t, "startup", startup) ||
        !GetAnsi(t, "other_folder", e.OtherFolder) || !GetNamed(t, "window", ShortcutWindowNames(), window) ||
        !GetBool(t, "keep_on_uninstall", keep))
      return false;
    // The engine reads a target with ~" in the arguments from there instead.
    ProgramSplit split;
    if (e.Target.empty() && !SplitTildeArguments(e.Arguments, split))
      return Fail(*t.get("target"), "target must not be empty");
    if (const toml::node* n = t.get("name"); n && !e.Name.empty() && !CheckRelativePath(*n, e.Name, "name"))
      return false;
    if (!desktop && !start_menu && !startup && e.OtherFolder.empty())
      return Fail(node, "a shortcut needs at least one of desktop, start_menu, startup or other_folder");
    e.OnDesktop = desktop;
    e.InStartMenu = start_menu;
    e.InStartup = startup;
    e.WindowState = uint8_t(window->value);
    e.KeepOnUninstall = keep;
    s.ShortcutList.push_back(std::move(e));
  }
  return true;
}

bool Compiler::ShortcutTables(const toml::table& root, Settings& s) {
  for (std::string_view key : {"desktop_folder", "uninstaller", "root_shortcut", "taskbar_pin"}) {
    if (const toml::node* n = root.get(key); n && !n->is_table())
      return Fail(*n, std::string(key) + " must be a table ([" + std::string(key) + "])");
  }
  if (const toml::table* t = root["desktop_folder"].as_table()) {
    if (!CheckKeys(*t, "[desktop_folder]", {"name", "icon"}) || !GetWide(*t, "name", s.DesktopFolder) ||
        !ReadIcon(*t, "icon", s.DesktopFolderIcon))
      return false;
    if (s.DesktopFolder.empty()) return Fail(*t, "[desktop_folder] needs a name");
    if (!CheckRelativePath(*t->get("name"), Utf16ToUtf8(s.DesktopFolder), "the desktop folder name")) return false;
  }
  if (const toml::table* t = root["root_shortcut"].as_table()) {
    if (!CheckKeys(*t, "[root_shortcut]", {"target", "name"}) ||
        !GetWide(*t, "target", s.RootShortcutTarget) || !GetString(*t, "name", s.RootShortcutName, true, t))
      return false;
    if (s.RootShortcutTarget.empty()) return Fail(*t, "[root_shortcut] needs a target");
    if (s.RootShortcutName.empty()) return Fail(*t->get("name"), "the root shortcut's name must not be empty");
  }
  if (const toml::table* t = root["taskbar_pin"].as_table()) {
    if (!CheckKeys(*t, "[taskbar_pin]", {"target", "name"}) || !GetWide(*t, "target", s.TaskbarPinTarget) ||
        !GetWide(*t, "name", s.TaskbarPinName))
      return false;
    if (s.TaskbarPinTarget.empty()) return Fail(*t, "[taskbar_pin] needs a target");
  }
  return true;
}

}  // namespace compile
}  // namespace ks::builder
