// [notify], [[registry]], [[associations]], [[firewall]], [[uninstall_values]],
// [[shortcuts]] and the desktop folder, root shortcut and taskbar pin, back
// from the settings.
#include <charconv>

#include "portable/firewall_items.h"
#include "portable/registry_entries.h"
#include "portable/text.h"
#include "project_notify.h"
#include "project_writer_parts.h"

namespace ks::builder::write {

namespace {

// A whole number written as the compiler writes one.
bool Decimal(std::string_view text, uint64_t& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size() && std::to_string(out) == text;
}

}  // namespace

bool Writer::Notify() {
  TomlText t;
  for (auto [key, address] : NotifyAddresses(s_)) {
    std::string text;
    if (address->empty()) continue;
    if (!Wide("notify " + std::string(key), *address, text)) return false;
    t.String(key, text);
  }
  if (t.Text().empty()) return true;
  out_.Table("[notify]");
  out_.Raw(t.Text());
  return true;
}

bool Writer::Registry() {
  for (std::string_view line : Registry2Lines(s_.Registry2Text)) {
    std::vector<std::string> f = SplitRegistry2Line(line);
    for (const std::string& part : f)
      if (!Utf8("Registry2Text", part)) return false;
    auto key = [](const std::string& path) { return path.starts_with("\\") ? path.substr(1) : path; };
    if (f.size() == 1) {
      out_.Table("[[registry]]");
      out_.String("key", key(f[0]), "removed with all it holds at uninstall");
      continue;
    }
    uint64_t type = 0;
    std::string_view type_name;
    if (f.size() != kValueEntryFields || !Decimal(f[kEntryType], type) || type > UINT32_MAX)
      return Fail("Registry2Text", "the line \"" + std::string(line) + "\" is neither a key nor a value entry");
    if (!Named("Registry2Text", RegistryTypeNames(), uint32_t(type), type_name)) return false;
    out_.Table("[[registry]]");
    out_.String("key", key(f[kEntryKey]));
    out_.String("name", f[kEntryName]);
    out_.String("type", type_name);
    uint64_t number = 0;
    if ((type == kRegTypeDword || type == kRegTypeQword) && Decimal(f[kEntryData], number) && number <= INT64_MAX)
      out_.Integer("value", int64_t(number));
    else
      out_.String("value", f[kEntryData]);
    if (f[kEntrySkipAtInstall] == "1") out_.Bool("uninstall_only", true);
    if (f[kEntryForUninstall] != "1") out_.Bool("remove_at_uninstall", false);
  }
  return true;
}

bool Writer::Associations() {
  for (const AssociationEntry& e : s_.AssociationList) {
    std::string extension, type, verb, label, command, icon, language;
    std::string_view kind;
    if (!Ansi("AssociationList", e.Extension, extension) || !Ansi("AssociationList", e.FileType, type) ||
        !Ansi("AssociationList", e.Verb, verb) || !Ansi("AssociationList", e.VerbLabel, label) ||
        !Ansi("AssociationList", e.Command, command) || !Ansi("AssociationList", e.IconPath, icon) ||
        !Wide("AssociationList", e.Language, language) || !Utf8("AssociationList", e.TypeDescription) ||
        !Named("AssociationList", AssociationKindNames(), e.AssocKind, kind))
      return false;
    out_.Table("[[associations]]");
    out_.String("extension", extension);
    if (!type.empty()) out_.String("file_type", type);
    if (!e.TypeDescription.empty()) out_.String("description", e.TypeDescription);
    out_.String("verb", verb);
    if (!label.empty()) out_.String("verb_label", label);
    out_.String("command", command);
    if (!icon.empty()) out_.String("icon", icon);
    if (e.AssocKind != 0) out_.String("kind", kind);
    if (!language.empty()) out_.String("language", language, "only while this language is chosen");
  }
  return true;
}

bool Writer::Firewall() {
  for (std::u16string_view line : FirewallLines(s_.FirewallPrograms)) {
    std::optional<FirewallItem> item = ParseFirewallLine(line);
    if (!item) return Fail("FirewallPrograms", "the line \"" + Utf16ToUtf8(line) + "\" is no firewall item");
    std::string target, name;
    if (!Wide("FirewallPrograms", item->target, target) || !Wide("FirewallPrograms", item->name, name)) return false;
    out_.Table("[[firewall]]");
    if (item->is_port) {
      std::string_view protocol;
      if (!Named("FirewallPrograms", FirewallProtocolNames(), item->flags, protocol)) return false;
      out_.Integer("port", item->port);
      out_.String("protocol", protocol);
    } else {
      out_.String("program", target);
    }
    if (!name.empty()) out_.String("name", name);
    if (item->keep) out_.Bool("keep", true, "stays after an uninstall");
  }
  return true;
}

bool Writer::UninstallValues() {
  for (const RegistryEntry& e : s_.RegistryList) {
    std::string name, data;
    std::string_view type;
    if (!Ansi("RegistryList", e.path, name) || !Wide("RegistryList", e.value, data) ||
        !Named("RegistryList", UninstallValueTypeNames(), e.type, type))
      return false;
    out_.Table("[[uninstall_values]]");
    out_.String("name", name);
    if (e.type != 1) out_.String("type", type);
    out_.String("data", data);
  }
  return true;
}

bool Writer::Shortcuts() {
  for (const ShortcutEntry& e : s_.ShortcutList) {
    std::string target, icon, arguments, folder, other;
    std::string_view window;
    if (!Ansi("ShortcutList", e.Target, target) || !Utf8("ShortcutList", e.Name) ||
        !Ansi("ShortcutList", e.Icon, icon) || !Wide("ShortcutList", e.Arguments, arguments) ||
        !Ansi("ShortcutList", e.WorkingFolder, folder) || !Ansi("ShortcutList", e.OtherFolder, other) ||
        !Named("ShortcutList", ShortcutWindowNames(), e.WindowState, window))
      return false;
    out_.Table("[[shortcuts]]");
    out_.String("target", target);
    if (!e.Name.empty()) out_.String("name", e.Name);
    if (!icon.empty()) out_.String("icon", icon);
    if (!arguments.empty()) out_.String("arguments", arguments);
    if (!folder.empty()) out_.String("working_folder", folder);
    if (e.OnDesktop) out_.Bool("desktop", true);
    if (e.InStartMenu) out_.Bool("start_menu", true);
    if (e.InStartup) out_.Bool("startup", true);
    if (!other.empty()) out_.String("other_folder", other);
    if (e.WindowState) out_.String("window", window);
    if (e.KeepOnUninstall) out_.Bool("keep_on_uninstall", true);
  }
  return true;
}

bool Writer::ShortcutTables() {
  const Settings& s = s_;
  std::string name, target;
  if (!s.DesktopFolder.empty() || !s.DesktopFolderIcon.empty()) {
    if (!Wide("DesktopFolder", s.DesktopFolder, name)) return false;
    out_.Table("[desktop_folder]");
    out_.String("name", name);
    if (!s.DesktopFolderIcon.empty()) {
      if (!DataFile("DesktopFolderIcon", "pictures/desktop_folder.ico", s.DesktopFolderIcon)) return false;
      out_.String("icon", "pictures/desktop_folder.ico");
    }
  }
  if (!s.RootShortcutTarget.empty() || !s.RootShortcutName.empty()) {
    if (!Wide("RootShortcutTarget", s.RootShortcutTarget, target) || !Utf8("RootShortcutName", s.RootShortcutName))
      return false;
    out_.Table("[root_shortcut]");
    out_.String("target", target);
    out_.String("name", s.RootShortcutName);
  }
  if (!s.TaskbarPinTarget.empty() || !s.TaskbarPinName.empty()) {
    if (!Wide("TaskbarPinTarget", s.TaskbarPinTarget, target) || !Wide("TaskbarPinName", s.TaskbarPinName, name))
      return false;
    out_.Table("[taskbar_pin]");
    out_.String("target", target);
    if (!name.empty()) out_.String("name", name);
  }
  return true;
}

}  // namespace ks::builder::write
