// Registry2Text, AssociationList and FirewallPrograms read back into the
// entries a project file writes.
#include "inspect_registry.h"

#include "named_values.h"
#include "portable/firewall_items.h"
#include "portable/registry_entries.h"
#include "portable/text.h"

namespace ks::builder {

namespace {

using Json = nlohmann::ordered_json;

Json Named(std::span<const NamedValue> table, uint32_t value) {
  std::string_view name = NameOf(table, value);
  return name.empty() ? Json(value) : Json(std::string(name));
}

std::string Ansi(const Text8& s) { return Utf16ToUtf8(Cp1252ToUtf16(s)); }

}  // namespace

void AddRegistryProjectJson(const Settings& s, Json& project) {
  Json list = Json::array();
  for (std::string_view line : Registry2Lines(s.Registry2Text)) {
    std::vector<std::string> f = SplitRegistry2Line(line);
    if (f.size() == 1) {
      list.push_back({{"key", f[0]}});
    } else if (f.size() == kValueEntryFields) {
      RegistryValueData v = MakeRegistryValue(f[kEntryType], "", nullptr);
      list.push_back({{"key", f[kEntryKey]}, {"name", f[kEntryName]}, {"type", Named(RegistryTypeNames(), v.type)},
                      {"value", f[kEntryData]}, {"uninstall_only", f[kEntrySkipAtInstall] == "1"},
                      {"remove_at_uninstall", f[kEntryForUninstall] == "1"}});
    } else {
      list.push_back({{"malformed", std::string(line)}});
    }
  }
  project["registry"] = list;

  list = Json::array();
  for (const AssociationEntry& e : s.AssociationList) {
    Json a = {{"extension", Ansi(e.Extension)}, {"file_type", Ansi(e.FileType)},
              {"kind", Named(AssociationKindNames(), e.AssocKind)}, {"verb", Ansi(e.Verb)},
              {"verb_label", Ansi(e.VerbLabel)}, {"command", Ansi(e.Command)}, {"description", e.TypeDescription},
              {"icon", Ansi(e.IconPath)}};
    if (!e.Language.empty()) a["language"] = Utf16ToUtf8(e.Language);
    list.push_back(a);
  }
  project["associations"] = list;

  list = Json::array();
  for (std::u16string_view line : FirewallLines(s.FirewallPrograms)) {
    std::optional<FirewallItem> item = ParseFirewallLine(line);
    if (!item) {
      list.push_back({{"malformed", Utf16ToUtf8(line)}});
      continue;
    }
    Json f;
    if (item->is_port) {
      f["port"] = item->port;
      f["protocol"] = Named(FirewallProtocolNames(), item->flags);
    } else {
      f["program"] = Utf16ToUtf8(item->target);
    }
    f["name"] = Utf16ToUtf8(item->name);
    f["keep"] = item->keep;
    list.push_back(f);
  }
  project["firewall"] = list;
}

}  // namespace ks::builder
