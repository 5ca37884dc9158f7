// The project's registry entries, file associations and firewall exceptions:
// [[registry]] -> Registry2Text, [[associations]] -> AssociationList,
// [[firewall]] -> FirewallPrograms.
#include <algorithm>
#include <string>

#include "named_values.h"
#include "portable/registry_entries.h"
#include "portable/registry_path.h"
#include "portable/text.h"
#include "project_compiler.h"

namespace ks::builder::compile {

namespace {

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// A field of the entries text: quoted, inner quotes doubled.
std::string Quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

// "HKLM\Software\X" (short or long root, optional leading backslash), or
// "HKAU\..." for every user, in the engine's "\HKLM\..." form; empty when the
// text names no root a product may write to.
std::string EngineKeyPath(std::string_view text) {
  std::string_view t = text;
  if (!t.empty() && t.front() == '\\') t.remove_prefix(1);
  if (t.size() > 5 && EqualsNoCase8(t.substr(0, 5), "HKAU\\")) return "\\HKAU\\" + std::string(t.substr(5));
  std::u16string wide = Utf8ToUtf16(text);
  std::optional<RegistryPathParts> parts = SplitWrittenRegistryPath(wide);
  if (!parts || parts->root == RegistryRootId::kDynData) return "";
  return "\\" + std::string(RootName(parts->root).short_name) + "\\" + Utf16ToUtf8(parts->rest);
}

size_t KeyDepth(std::string_view rest) {
  size_t depth = 0;
  bool in_part = false;
  for (char c : rest) {
    if (c == '\\') {
      in_part = false;
    } else if (!in_part) {
      in_part = true;
      ++depth;
    }
  }
  return depth;
}

}  // namespace

bool Compiler::RegistryEntries(const toml::array& a, Settings& s) {
  std::string text;
  for (const toml::node& node : a) {
    const toml::table& t = *node.as_table();
    if (!CheckKeys(t, "[[registry]]", {"key", "name", "type", "value", "uninstall_only", "remove_at_uninstall"}))
      return false;
    std::string key, name;
    const NamedValue* type = &RegistryTypeNames()[0];
    bool uninstall_only = false, remove_at_uninstall = true;
    if (!GetString(t, "key", key, true, &node) || !GetString(t, "name", name) ||
        !GetNamed(t, "type", RegistryTypeNames(), type) || !GetBool(t, "uninstall_only", uninstall_only) ||
        !GetBool(t, "remove_at_uninstall", remove_at_uninstall))
      return false;
    std::string path = EngineKeyPath(key);
    if (path.empty())
      return Fail(*t.get("key"), "key must begin with a registry root (HKLM, HKCU, HKCR, HKU, HKCC, or HKAU "
                                 "for every user) followed by a key: \"HKLM\\\\Software\\\\Maker\"");
    std::string_view rest = std::string_view(path).substr(path.find('\\', 1) + 1);
    if (HasLineBreak(key) || HasLineBreak(name))
      return Fail(node, "registry keys and value names must not hold line breaks");

    const toml::node* value = t.get("value");
    bool is_value = t.get("name") || value || t.get("type");
    if (!is_value) {
      // The uninstaller deletes such a key with everything below it.
      if (KeyDepth(rest) < 2)
        return Fail(*t.get("key"), "a key without a value is deleted with all it holds when the product is "
                                   "uninstalled: name a key of the product's own, two levels or more below the "
                                   "root (\"HKLM\\\\Software\\\\Maker\\\\Product\")");
      if (t.get("uninstall_only") || t.get("remove_at_uninstall"))
        return Fail(node, "uninstall_only and remove_at_uninstall belong to values: give name and value");
      text += Quoted(path) + "\r\n";
      continue;
    }
    if (!value) return Fail(node, "a registry value needs 'value' (and 'name'; an absent name is the default value)");
    std::string data;
    switch (type->value) {
      case kRegTypeString:
      case kRegTypeExpandString:
        if (!value->is_string()) return Fail(*value, "value of a \"" + std::string(type->name) + "\" must be a string");
        data = value->as_string()->get();
        if (HasLineBreak(data)) return Fail(*value, "registry texts must not hold line breaks");
        break;
      case kRegTypeBinary: {
        if (!value->is_string()) return Fail(*value, "value of a \"binary\" is a string of hexadecimal byte pairs");
        std::string digits;
        for (char c : value->as_string()->get())
          if (c != ' ') digits += c;
        if (digits.size() % 2 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
          return Fail(*value, "value of a \"binary\" is a string of hexadecimal byte pairs (\"0a ff 10\")");
        data = value->as_string()->get();
        break;
      }
      case kRegTypeDword:
        if (!value->is_integer() || value->as_integer()->get() < 0 || value->as_integer()->get() > 0xFFFFFFFFll)
          return Fail(*value, "value of a \"dword\" must be a whole number from 0 to 4294967295");
        data = std::to_string(value->as_integer()->get());
        break;
      case kRegTypeQword:
        if (!value->is_integer() || value->as_integer()->get() < 0)
          return Fail(*value, "value of a \"qword\" must be a whole number, 0 or more");
        data = std::to_string(value->as_integer()->get());
        break;
    }
    text += Quoted(path) + "," + Quoted(name) + "," + std::to_string(type->value) + "," + Quoted(data) + "," +
            (uninstall_only ? "1" : "") + "," + (remove_at_uninstall ? "1" : "") + "\r\n";
  }
  s.Registry2Text = text;
  return true;
}

bool Compiler::Associations(const toml::array& a, Settings& s) {
  for (const toml::node& node : a) {
    const toml::table& t = *node.as_table();
    if (s.AssociationList.size() == size_t(kMaxListEntries))
      return Fail(node, "at most 1000 [[associations]] entries are allowed");
    if (!CheckKeys(t, "[[associations]]",
                   {"extension", "file_type", "description", "verb", "verb_label", "command", "icon", "kind",
                    "language"}))
      return false;
    AssociationEntry e;
    e.Verb = "open";
    const NamedValue* kind = &AssociationKindNames()[0];
    std::string extension;
    if (!GetString(t, "extension", extension, true, &node) || !GetAnsi(t, "file_type", e.FileType) ||
        !GetString(t, "description", e.TypeDescription) || !GetAnsi(t, "verb", e.Verb) ||
        !GetAnsi(t, "verb_label", e.VerbLabel) || !GetAnsi(t, "command", e.Command) ||
        !GetAnsi(t, "icon", e.IconPath) || !GetNamed(t, "kind", AssociationKindNames(), kind) ||
        !GetWide(t, "language", e.Language))
      return false;
    if (!ToAnsi(*t.get("extension"), extension, e.Extension)) return false;
    std::string_view bare = e.Extension;
    if (!bare.empty() && bare.front() == '.') bare.remove_prefix(1);
    if (bare.empty() || bare.find_first_of("\\/ .") != std::string_view::npos)
      return Fail(*t.get("extension"), "extension must be one name such as \"txt\" or \".txt\"");
    std::string_view type_name = e.FileType;
    if (!type_name.empty() && type_name.front() == '!') type_name.remove_prefix(1);
    if (type_name.find('\\') != std::string_view::npos || (e.FileType == "!"))
      return Fail(*t.get("file_type"), "file_type is one key name (\"Maker.Document\"), \"!\" + a name, or empty");
    if (e.Verb.empty() || e.Verb.find('\\') != std::string::npos)
      return Fail(t.get("verb") ? *t.get("verb") : node, "verb must be one key name such as \"open\"");
    if (e.Command.empty()) return Fail(t.get("command") ? *t.get("command") : node, "an association needs a command");
    e.AssocKind = kind->value;
    if (e.AssocKind == 2 && type_name.empty())
      return Fail(*t.get("kind"), "kind \"open_with\" lists a file type of the product's own: give file_type");
    if (!e.Language.empty() &&
        std::find(s.LanguageNames.begin(), s.LanguageNames.end(), e.Language) == s.LanguageNames.end())
      return Fail(*t.get("language"), "language must name one of the project's languages");
    s.AssociationList.push_back(std::move(e));
  }
  return true;
}

bool Compiler::FirewallItems(const toml::array& a, Settings& s) {
  std::u16string text;
  for (const toml::node& node : a) {
    const toml::table& t = *node.as_table();
    if (!CheckKeys(t, "[[firewall]]", {"port", "protocol", "program", "name", "keep"})) return false;
    int64_t port = 0;
    std::string program, name;
    const NamedValue* protocol = &FirewallProtocolNames()[2];
    bool keep = false;
    if (!GetInteger(t, "port", port, 1, 65535) || !GetString(t, "program", program) || !GetString(t, "name", name) ||
        !GetNamed(t, "protocol", FirewallProtocolNames(), protocol) || !GetBool(t, "keep", keep))
      return false;
    if (bool(t.get("port")) == bool(t.get("program")))
      return Fail(node, "a [[firewall]] entry opens a port or authorises a program: give one of them");
    std::string ansi;
    for (const char* key : {"program", "name"}) {
      const toml::node* n = t.get(key);
      if (!n) continue;
      const std::string& v = n->as_string()->get();
      if (v.find(';') != std::string::npos || HasLineBreak(v))
        return Fail(*n, std::string(key) + " must not hold \";\" or line breaks");
      if (!ToAnsi(*n, v, ansi)) return false;
    }
    std::string target;
    unsigned flags = 0;
    if (t.get("port")) {
      target = std::to_string(port);
      flags = protocol->value;
    } else {
      if (t.get("protocol")) return Fail(*t.get("protocol"), "protocol belongs to ports");
      if (program.empty() || program.find_first_not_of("0123456789") == std::string::npos)
        return Fail(*t.get("program"), "program must be a path (digits alone would be read as a port)");
      target = program;
    }
    text += Utf8ToUtf16(target + ";" + name + ";" + std::to_string(flags) + ";" + (keep ? "1" : "") + "\r\n");
  }
  s.FirewallPrograms = text;
  return true;
}

}  // namespace ks::builder::compile
