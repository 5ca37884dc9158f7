// The project file: TOML -> Settings, archive flags and payload files.
#include "project.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <toml++/toml.h>

#include "default_languages.h"
#include "default_messages.h"
#include "named_values.h"
#include "portable/archive.h"
#include "portable/conditional_deletion.h"
#include "portable/file_name_rule.h"
#include "portable/path_rules.h"
#include "portable/registry_path.h"
#include "portable/text.h"
#include "portable/uninstall_data.h"
#include "project_compiler.h"
#include "project_defines.h"

namespace ks::builder {

namespace fs = std::filesystem;

namespace compile {

namespace {

constexpr NamedOption kOptions[] = {
    // OptionFlags
    {"must_uninstall_first", FlagWord::kOptionFlags, kOptMustUninstall, false},
    {"uninstall_shortcut", FlagWord::kOptionFlags, kOptUninstallShortcut, false},
    {"uninstaller", FlagWord::kOptionFlags, kOptUninstaller, true},
    {"compress", FlagWord::kOptionFlags, kOptZlibPayload, true},
    {"write_log", FlagWord::kOptionFlags, kOptWriteLog, false},
    {"folder_page", FlagWord::kOptionFlags, kOptFolderPage, false},
    {"single_instance", FlagWord::kOptionFlags, kOptSingleInstance, false},
    {"silent_uninstall", FlagWord::kOptionFlags, kOptSilentUninstall, false},
    {"add_to_path", FlagWord::kOptionFlags, kOptAddToPath, false},
    {"keep_background", FlagWord::kOptionFlags, kOptKeepBackground, false},
    {"verify_files", FlagWord::kOptionFlags, kOptVerifyFiles, false},
    {"clear_attributes", FlagWord::kOptionFlags, kOptClearAttributes, false},
    {"verbose_log", FlagWord::kOptionFlags, kOptVerboseLog, false},
    {"no_cancel", FlagWord::kOptionFlags, kOptNoCancel, false},
    {"no_finish_message", FlagWord::kOptionFlags, kOptNoFinishMessage, false},
    {"pre_batch_option", FlagWord::kOptionFlags, kOptPreBatchOption, false},
    {"no_install_type_question", FlagWord::kOptionFlags, kOptNoInstallTypeQuestion, false},
    {"no_main_window", FlagWord::kOptionFlags, kOptNoMainWindow, false},
    {"confirm_folder", FlagWord::kOptionFlags, kOptConfirmFolder, false},
    // OptionFlags2
    {"engine_checksum", FlagWord::kOptionFlags2, kOpt2EngineChecksum, true},
    {"desktop_uninstall_shortcut", FlagWord::kOptionFlags2, kOpt2DesktopUninstallShortcut, false},
    {"start_menu_page", FlagWord::kOptionFlags2, kOpt2StartMenuPage, false},
    {"silent_errors", FlagWord::kOptionFlags2, kOpt2SilentErrors, false},
    {"compare_versions", FlagWord::kOptionFlags2, kOpt2CompareVersions, false},
    {"no_network_path", FlagWord::kOptionFlags2, kOpt2NoNetworkPath, false},
    {"uninstall_folder_shortcut", FlagWord::kOptionFlags2, kOpt2UninstallFolderShortcut, false},
    {"maximised", FlagWord::kOptionFlags2, kOpt2Maximised, false},
    {"keep_fallback_title", FlagWord::kOptionFlags2, kOpt2KeepFallbackTitle, false},
    {"no_greeting", FlagWord::kOptionFlags2, kOpt2NoGreeting, false},
    {"confirm_upgrade", FlagWord::kOptionFlags2, kOpt2ConfirmUpgrade, false},
    {"fixed_progress_text", FlagWord::kOptionFlags2, kOpt2FixedProgressText, false},
    {"folder_rights", FlagWord::kOptionFlags2, kOpt2FolderRights, false},
    {"progress_page", FlagWord::kOptionFlags2, kOpt2ProgressPage, false},
    {"dialog_icons", FlagWord::kOptionFlags2, kOpt2DialogIcons, false},
    {"refuse_removable", FlagWord::kOptionFlags2, kOpt2RefuseRemovable, false},
    {"no_registration_on_removable", FlagWord::kOptionFlags2, kOpt2NoRegistrationOnRemovable, false},
    {"offer_log", FlagWord::kOptionFlags2, kOpt2OfferLog, false},
    {"log_shortcut", FlagWord::kOptionFlags2, kOpt2ExtraStartMenuShortcut, false},
    {"upgrade_batch_option", FlagWord::kOptionFlags2, kOpt2UpgradeBatchOption, false},
    {"reinstall_batch_option", FlagWord::kOptionFlags2, kOpt2ReinstallBatchOption, false},
    {"shared_folder_rights", FlagWord::kOptionFlags2, kOpt2SharedFolderRights, false},
    {"deployment_exit_codes", FlagWord::kOptionFlags2, kOpt2DeploymentExitCodes, false},
    // ArchiveFlags
    {"reinstall_batch_same_version_only", FlagWord::kArchiveFlags, kArcReinstallSameVersionOnly, false},
    {"restore_point", FlagWord::kArchiveFlags, kArcRestorePoint, false},
    {"uninstaller_image", FlagWord::kArchiveFlags, kArcUninstallerImage, true},
    {"run_second_checked", FlagWord::kArchiveFlags, kArcLaunchChecked, false},
    {"open_first_checked", FlagWord::kArchiveFlags, kArcOpenFirstChecked, false},
    {"open_third_checked", FlagWord::kArchiveFlags, kArcOpenThirdChecked, false},
    {"pre_install_batch_label", FlagWord::kArchiveFlags, kArcPreBatchLabel, false},
    {"post_install_batch_label", FlagWord::kArchiveFlags, kArcPostBatchLabel, false},
    {"upgrade_batch_label", FlagWord::kArchiveFlags, kArcUpgradeBatchLabel, false},
    {"reinstall_batch_label", FlagWord::kArchiveFlags, kArcReinstallBatchLabel, false},
    {"button_images", FlagWord::kArchiveFlags, kArcButtonImages, false},
    {"no_start_menu_on_removable", FlagWord::kArchiveFlags, kArcNoStartMenuOnRemovable, false},
    {"blowfish", FlagWord::kArchiveFlags, kArcBlowfish, false},
    {"remove_install_dir_value", FlagWord::kArchiveFlags, kArcRecordInstallDirValue, false},
    {"desktop_folder_from_product", FlagWord::kArchiveFlags, kArcDesktopFolderFromProduct, false},
    {"folder_name_test", FlagWord::kArchiveFlags, kArcFolderNameTest, false},
    {"no_registry_on_removable", FlagWord::kArchiveFlags, kArcNoRegistryOnRemovable, false},
    {"no_associations_on_removable", FlagWord::kArchiveFlags, kArcNoAssociationsOnRemovable, false},
    {"no_firewall_on_removable", FlagWord::kArchiveFlags, kArcNoFirewallOnRemovable, false},
    {"uninstall_done_message", FlagWord::kArchiveFlags, kArcUninstallDoneMessage, false},
};

constexpr size_t kMaxNoDowngradeBelow = 255;  // a Str8 field

// Splits "HKLM\\Software\\Maker\\Value" (any case, long root names, an
// optional leading backslash) into the root's short name and the rest.
// False when the text does not begin with a registry root a project may name
// (HKEY_DYN_DATA exists only on Windows 9x).
bool SplitRegistryPath(std::string_view text, std::string_view& root, std::string& rest) {
  std::u16string wide = Utf8ToUtf16(text);
  std::optional<RegistryPathParts> parts = SplitWrittenRegistryPath(wide);
  if (!parts || parts->root == RegistryRootId::kDynData) return false;
  root = RootName(parts->root).short_name;
  rest = Utf16ToUtf8(parts->rest);
  return true;
}

// A value path needs a key: "key\\value" (an empty value name is the key's default value).
bool HasKeyAndValue(std::string_view rest) {
  size_t slash = rest.rfind('\\');
  return slash != std::string_view::npos && slash > 0;
}

}  // namespace

// Splits a backslash path into its components.
std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= path.size()) {
    size_t next = std::min(path.find('\\', at), path.size());
    parts.emplace_back(path.substr(at, next - at));
    at = next + 1;
  }
  return parts;
}

bool Compiler::NoNulCharacters(const toml::node& node) {
  constexpr std::string_view kMessage = "text holds the character U+0000, which would end it early";
  if (const toml::value<std::string>* text = node.as_string())
    return text->get().find('\0') == std::string::npos || Fail(node, std::string(kMessage));
  if (const toml::table* t = node.as_table()) {
    for (auto&& [key, value] : *t) {
      if (key.str().find('\0') != std::string_view::npos) return Fail(value, "a key " + std::string(kMessage));
      if (!NoNulCharacters(value)) return false;
    }
  }
  if (const toml::array* a = node.as_array()) {
    for (const toml::node& item : *a)
      if (!NoNulCharacters(item)) return false;
  }
  return true;
}

bool Compiler::CheckName(const toml::node& where, std::string_view part, std::string_view what) {
  NameProblem problem = WindowsNameProblem(Utf8ToUtf16(part));
  if (problem == NameProblem::kNone) return true;
  return Fail(where, "\"" + std::string(part) + "\" in " + std::string(what) + " is not a valid Windows name: it " +
                         std::string(NameProblemText(problem)));
}

bool Compiler::CheckRelativePath(const toml::node& where, std::string_view path, std::string_view what) {
  for (const std::string& part : Components(path))
    if (!CheckName(where, part, what)) return false;
  return true;
}

bool Compiler::CheckKeys(const toml::table& table, std::string_view where,
                         std::initializer_list<std::string_view> allowed) {
  for (auto&& [key, value] : table) {
    if (std::find(allowed.begin(), allowed.end(), key.str()) == allowed.end())
      return Fail(key.source().begin.line ? key.source() : value.source(),
                  "unknown key '" + std::string(key.str()) + "' in " + std::string(where));
  }
  return true;
}

bool Compiler::GetString(const toml::table& t, std::string_view key, std::string& out,
                         bool required, const toml::node* owner) {
  const toml::node* node = t.get(key);
  if (!node) {
    if (required) return Fail(owner ? *owner : static_cast<const toml::node&>(t),
                              "missing required key '" + std::string(key) + "'");
    return true;
  }
  if (!node->is_string()) return Fail(*node, "'" + std::string(key) + "' must be a string");
  out = node->as_string()->get();
  return true;
}

bool Compiler::GetBool(const toml::table& t, std::string_view key, bool& out) {
  const toml::node* node = t.get(key);
  if (!node) return true;
  if (!node->is_boolean()) return Fail(*node, "'" + std::string(key) + "' must be true or false");
  out = node->as_boolean()->get();
  return true;
}

bool Compiler::GetInteger(const toml::table& t, std::string_view key, int64_t& out, int64_t min,
                          int64_t max) {
  const toml::node* node = t.get(key);
  if (!node) return true;
  if (!node->is_integer() || node->as_integer()->get() < min || node->as_integer()->get() > max)
    return Fail(*node, "'" + std::string(key) + "' must be a whole number from " + std::to_string(min) +
                           " to " + std::to_string(max));
  out = node->as_integer()->get();
  return true;
}

bool Compiler::GetAnsi(const toml::table& t, std::string_view key, std::string& out) {
  std::string utf8;
  if (!GetString(t, key, utf8)) return false;
  if (const toml::node* node = t.get(key)) return ToAnsi(*node, utf8, out);
  return true;
}

bool Compiler::GetWide(const toml::table& t, std::string_view key, std::u16string& out) {
  std::string utf8;
  if (!GetString(t, key, utf8)) return false;
  if (t.get(key)) out = Utf8ToUtf16(utf8);
  return true;
}

bool Compiler::GetNamed(const toml::table& t, std::string_view key, std::span<const NamedValue> table,
                        const NamedValue*& out) {
  std::string name;
  if (!GetString(t, key, name)) return false;
  const toml::node* node = t.get(key);
  if (!node) return true;
  const NamedValue* found = FindByName(table, name);
  if (!found || !found->supported)
    return Fail(*node, std::string(key) + " must be one of " + NameList(table));
  out = found;
  return true;
}

bool Compiler::ToAnsi(const toml::node& where, std::string_view utf8, std::string& out) {
  std::u16string wide = Utf8ToUtf16(utf8);
  out = Utf16ToCp1252(wide, '\x01');
  if (out.find('\x01') != std::string::npos)
    return Fail(where, "text \"" + std::string(utf8) + "\" has characters outside code page 1252");
  return true;
}

const toml::array* Compiler::GetArrayOfTables(const toml::table& root, std::string_view key, bool& ok) {
  ok = true;
  const toml::node* node = root.get(key);
  if (!node) return nullptr;
  const toml::array* a = node->as_array();
  if (!a) {
    ok = Fail(*node, std::string(key) + " must be an array of tables ([[" + std::string(key) + "]])");
    return nullptr;
  }
  for (const toml::node& entry : *a) {
    if (!entry.is_table()) {
      ok = Fail(entry, "each [[" + std::string(key) + "]] entry must be a table");
      return nullptr;
    }
  }
  return a;
}

bool Compiler::Product(const toml::table& t, Settings& s) {
  if (!CheckKeys(t, "[product]",
                 {"name", "version", "publisher", "description", "install_dir", "install_dir_registry_value",
                  "start_menu", "silent", "uninstall_key", "uninstall_subdir", "uninstaller_name",
                  "registry_key", "bitness", "all_users", "title", "password", "shared_folder",
                  "shared_folder_base", "shared_folder_on_removable", "must_uninstall_below",
                  "confirm_upgrade_below", "no_downgrade_below", "excluded_systems", "min_status_time",
                  "extra_space", "path_subfolder"}))
    return false;
  std::string name, version, publisher, description, install_dir, start_menu, uninstall_key,
      uninstall_subdir = "uninstall", uninstaller_name = "uninstall.exe", registry_key, title, password,
      install_dir_value;
  bool silent = false, all_users = false;
  const NamedValue* bitness = &BitnessNames()[0];
  const NamedValue* shared_base = &SharedFolderBaseNames()[0];
  int64_t min_status_time = 0, extra_space = 0;
  if (!GetString(t, "name", name, true) || !GetString(t, "version", version) ||
      !GetString(t, "publisher", publisher) || !GetString(t, "description", description) ||
      !GetString(t, "install_dir", install_dir) || !GetString(t, "start_menu", start_menu) ||
      !GetString(t, "uninstall_key", uninstall_key) ||
      !GetString(t, "uninstall_subdir", uninstall_subdir) ||
      !GetString(t, "uninstaller_name", uninstaller_name) ||
      !GetString(t, "registry_key", registry_key) || !GetNamed(t, "bitness", BitnessNames(), bitness) ||
      !GetString(t, "title", title) || !GetString(t, "password", password) ||
      !GetString(t, "install_dir_registry_value", install_dir_value) ||
      !GetBool(t, "silent", silent) || !GetBool(t, "all_users", all_users) ||
      !GetWide(t, "shared_folder", s.SharedPath) || !GetWide(t, "path_subfolder", s.AddToPathSubfolder) ||
      !GetNamed(t, "shared_folder_base", SharedFolderBaseNames(), shared_base) ||
      !GetWide(t, "shared_folder_on_removable", s.SharedPathOnRemovable) ||
      !GetAnsi(t, "must_uninstall_below", s.MustUninstallBelow) ||
      !GetAnsi(t, "confirm_upgrade_below", s.ConfirmUpgradeBelow) ||
      !GetAnsi(t, "no_downgrade_below", s.NoDowngradeBelow) ||
      !GetInteger(t, "min_status_time", min_status_time, 0, kMaxMinStatusTime) ||
      !GetInteger(t, "extra_space", extra_space, 0, INT64_MAX))
    return false;
  if (name.empty()) return Fail(*t.get("name"), "the product name must not be empty");
  if (title.empty()) title = name;

  std::string_view root;
  std::string rest;
  if (install_dir.empty()) {
    // The name becomes a folder below Program Files: it must stay one.
    std::string folder = name;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    if (!CheckRelativePath(*t.get("name"), folder, "the product name (the default installation folder; "
                                                  "give install_dir to choose another)"))
      return false;
    install_dir = "%ProgramsDir%\\" + name;
  } else if (SplitRegistryPath(install_dir, root, rest)) {
    // The engine reads the folder from HKLM or HKCU and names it by exactly these prefixes.
    if (root != "HKLM" && root != "HKCU")
      return Fail(*t.get("install_dir"), "install_dir may read the folder from HKLM or HKCU only");
    if (!HasKeyAndValue(rest))
      return Fail(*t.get("install_dir"),
                  "install_dir from the registry needs a key and a value name (\"HKLM\\\\Software\\\\Maker\\\\Value\")");
    install_dir = std::string(root) + "\\" + rest;
  }
  if (install_dir != "<master>" && !SplitRegistryPath(install_dir, root, rest)) {
    std::string folder = install_dir;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    for (const std::string& part : Components(folder)) {
      if (part == "." || part == "..")
        return Fail(*t.get("install_dir"), "install_dir must not step with \".\" or \"..\"; write the folder itself");
    }
  }
  if (!install_dir_value.empty()) {
    if (!SplitRegistryPath(install_dir_value, root, rest) || !HasKeyAndValue(rest))
      return Fail(*t.get("install_dir_registry_value"),
                  "install_dir_registry_value must be a registry root, a key and a value name "
                  "(\"HKLM\\\\Software\\\\Maker\\\\Value\")");
    // The engine opens value paths by their "\\HKLM\\" prefix.
    if (!ToAnsi(*t.get("install_dir_registry_value"), "\\" + std::string(root) + "\\" + rest,
                s.InstallDirRegistryValue))
      return false;
  }
  if (s.NoDowngradeBelow.size() > kMaxNoDowngradeBelow)
    return Fail(*t.get("no_downgrade_below"), "no_downgrade_below is longer than 255 characters");

  for (char& c : uninstall_subdir) if (c == '/') c = '\\';
  while (!uninstall_subdir.empty() && uninstall_subdir.back() == '\\') uninstall_subdir.pop_back();
  if (!uninstall_subdir.empty() &&
      !CheckRelativePath(*t.get("uninstall_subdir"), uninstall_subdir,
                         "uninstall_subdir (a subfolder of the installation folder)"))
    return false;
  for (const char* key : {"shared_folder", "shared_folder_on_removable"}) {
    const toml::node* node = t.get(key);
    if (!node) continue;
    std::string folder = node->as_string()->get();
    std::replace(folder.begin(), folder.end(), '/', '\\');
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    if (!folder.empty() && !CheckRelativePath(*node, folder, key)) return false;
  }

  s.ProductName = Utf8ToUtf16(name);
  s.Publisher = Utf8ToUtf16(publisher);
  s.ProductDescription = Utf8ToUtf16(description);
  s.DisplayTitle = Utf8ToUtf16(title);
  s.DefaultInstallDir = Utf8ToUtf16(install_dir);
  s.ProductStartMenu = Utf8ToUtf16(start_menu);
  s.UninstallKeyName = Utf8ToUtf16(uninstall_key);
  s.UninstallSubdir = Utf8ToUtf16(uninstall_subdir);
  s.ProductRegistry = Utf8ToUtf16(registry_key);
  s.Password = Utf8ToUtf16(password);
  if (t.get("version") && !ToAnsi(*t.get("version"), version, s.ProductVersion)) return false;
  if (!ToAnsi(*t.get("name"), name, s.TaskbarText)) return false;
  if (t.get("uninstaller_name") && !ToAnsi(*t.get("uninstaller_name"), uninstaller_name,
                                           s.UninstallerFileName))
    return false;
  if (!t.get("uninstaller_name")) s.UninstallerFileName = uninstaller_name;
  if (!CheckName(t.get("uninstaller_name") ? *t.get("uninstaller_name") : *t.get("name"), uninstaller_name,
                 "uninstaller_name (a plain file name)"))
    return false;

  // 1 forces silent mode; 0 leaves the choice to the command line (/a).
  s.SilentMode = silent ? 1 : 0;
  s.ShortcutMode = all_users ? 1 : 0;
  s.Bitness = static_cast<uint8_t>(bitness->value);
  s.SharedFolderBase = static_cast<uint8_t>(shared_base->value);
  s.MinStatusTime = static_cast<uint16_t>(min_status_time);
  s.ExtraSpace = static_cast<uint64_t>(extra_space);

  if (const toml::node* node = t.get("excluded_systems")) {
    const toml::array* list = node->as_array();
    if (!list) return Fail(*node, "excluded_systems must be a list of names such as [\"xp\", \"vista\"]");
    for (const toml::node& item : *list) {
      const NamedValue* system =
          item.is_string() ? FindByName(WindowsVersionNames(), item.as_string()->get()) : nullptr;
      if (!system)
        return Fail(item, "excluded_systems entries must be one of " + NameList(WindowsVersionNames()));
      s.ExcludedSystems |= system->value;
    }
  }
  return true;
}

bool Compiler::RequiredProduct(const toml::table& t, Settings& s) {
  if (!CheckKeys(t, "[required_product]", {"key", "name", "version"})) return false;
  if (!GetWide(t, "key", s.RequiredProductKey) || !GetAnsi(t, "name", s.RequiredProductName) ||
      !GetAnsi(t, "version", s.RequiredProductVersion))
    return false;
  s.OptionFlags |= kOptRequiredProduct;
  return true;
}

bool Compiler::Batches(const toml::table& t, Settings& s) {
  if (!CheckKeys(t, "[batches]", {"pre_install", "post_install", "exit", "upgrade", "reinstall"})) return false;
  const std::pair<std::string_view, Text8*> kBatches[] = {
      {"pre_install", &s.PreInstallBatch}, {"post_install", &s.PostInstallBatch}, {"exit", &s.ExitBatch},
      {"upgrade", &s.UpgradeBatch},        {"reinstall", &s.ReinstallBatch}};
  for (const auto& [key, field] : kBatches) {
    std::string text;
    if (!GetString(t, key, text)) return false;
    if (!t.get(key)) continue;
    // Batch lines end in CR LF; TOML's multi-line strings bring bare LFs.
    std::u16string lines = NormaliseLineEnds(Utf8ToUtf16(text));
    if (!ToAnsi(*t.get(key), Utf16ToUtf8(lines), *field)) return false;
  }
  return true;
}

bool Compiler::Options(const toml::table* t, Settings& s, uint32_t& archive_flags) {
  std::map<std::string_view, bool> chosen;
  if (t) {
    for (auto&& [key, value] : *t) {
      // A named copy: older clang cannot capture a structured binding.
      const std::string_view name = key.str();
      auto it = std::find_if(std::begin(kOptions), std::end(kOptions),
                             [&](const NamedOption& o) { return o.name == name; });
      if (it == std::end(kOptions))
        return Fail(value, "unknown option '" + std::string(name) + "'");
      if (!value.is_boolean())
        return Fail(value, "option '" + std::string(name) + "' must be true or false");
      chosen[it->name] = value.as_boolean()->get();
    }
  }
  for (const NamedOption& o : kOptions) {
    auto it = chosen.find(o.name);
    bool on = it == chosen.end() ? o.default_on : it->second;
    if (!on) continue;
    switch (o.word) {
      case FlagWord::kOptionFlags: s.OptionFlags |= o.bit; break;
      case FlagWord::kOptionFlags2: s.OptionFlags2 |= o.bit; break;
      case FlagWord::kArchiveFlags: archive_flags |= o.bit; break;
    }
  }
  return true;
}

// Settings that only mean something together with another one.
bool Compiler::CrossChecks(const toml::table& root, const Project& out) {
  const Settings& s = out.settings;
  const toml::table& product = *root["product"].as_table();
  if (!s.MustUninstallBelow.empty() && !(s.OptionFlags & kOptMustUninstall))
    return Fail(*product.get("must_uninstall_below"),
                "must_uninstall_below needs must_uninstall_first = true in [options]");
  if (!s.ConfirmUpgradeBelow.empty() && !(s.OptionFlags2 & kOpt2ConfirmUpgrade))
    return Fail(*product.get("confirm_upgrade_below"),
                "confirm_upgrade_below needs confirm_upgrade = true in [options]");
  if (s.DefaultInstallDir == u"<master>" && !(s.OptionFlags & kOptRequiredProduct))
    return Fail(*product.get("install_dir"),
                "install_dir \"<master>\" takes the folder of the [required_product], which is missing");
  return true;
}

bool Compiler::Archive(const toml::table* t, Project& out) {
  if (!t) return true;
  if (!CheckKeys(*t, "[archive]", {"key", "file_times"})) return false;
  if (const toml::node* n = t->get("file_times")) {
    const auto* mode = n->as_string();
    if (!mode || (mode->get() != "fixed" && mode->get() != "sources"))
      return Fail(*n, "file_times must be \"fixed\" or \"sources\"");
    keep_file_times_ = mode->get() == "sources";
  }
  std::string key;
  if (!GetString(*t, "key", key)) return false;
  if (!t->get("key")) return true;
  if (key.size() != 16 || key.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return Fail(*t->get("key"), "key must be 16 hex digits");
  std::array<uint8_t, 8> bytes{};
  for (size_t i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(std::stoi(key.substr(i * 2, 2), nullptr, 16));
  out.blowfish_key = bytes;
  return true;
}

bool Compiler::Languages(const toml::array* a, Settings& s) {
  struct Language {
    std::u16string name;
    std::map<int, std::u16string> messages;
    const DefaultLanguage* defaults = nullptr;  // null: the English texts
  };
  std::vector<Language> languages;
  int max_number = kMessageCount - 1;
  if (a) {
    for (const toml::node& node : *a) {
      const toml::table* t = node.as_table();
      if (!t) return Fail(node, "each [[languages]] entry must be a table");
      if (!CheckKeys(*t, "[[languages]]", {"name", "messages"})) return false;
      std::string name;
      if (!GetString(*t, "name", name, true, &node)) return false;
      if (name.empty()) return Fail(*t->get("name"), "the language name must not be empty");
      // A known language (by code, English or native name) brings its own
      // default texts and is shown under its native name.
      const DefaultLanguage* known = FindDefaultLanguage(name);
      Language lang{Utf8ToUtf16(known ? std::string(known->native_name) : name), {}, known};
      if (const toml::node* m = t->get("messages")) {
        const toml::table* mt = m->as_table();
        if (!mt) return Fail(*m, "messages must be a table of \"number\" = \"text\"");
        for (auto&& [key, value] : *mt) {
          std::string k(key.str());
          if (k.empty() || k.size() > 5 || k.find_first_not_of("0123456789") != std::string::npos)
            return Fail(value, "message key '" + k + "' is not a number from 0 to 9999");
          if (!value.is_string()) return Fail(value, "message " + k + " must be a string");
          int n = std::stoi(k);
          if (n >= kMaxStrings) return Fail(value, "message number " + k + " is above 9999");
          lang.messages[n] = Utf8ToUtf16(value.as_string()->get());
          max_number = std::max(max_number, n);
        }
      }
      languages.push_back(std::move(lang));
    }
    if (languages.size() > size_t(kMaxLanguages)) return Fail(*a, "at most 200 languages are allowed");
  }
  if (languages.empty()) languages.push_back({u"English", {}});

  s.LanguageNames.clear();
  for (const Language& l : languages) s.LanguageNames.push_back(l.name);
  s.StringTable.assign(static_cast<size_t>(max_number) + 1, std::vector<std::u16string>(languages.size()));
  for (int n = 0; n <= max_number; ++n) {
    for (size_t k = 0; k < languages.size(); ++k) {
      const Language& l = languages[k];
      auto it = l.messages.find(n);
      s.StringTable[n][k] = it != l.messages.end() ? it->second
                            : l.defaults       ? Utf8ToUtf16(DefaultMessage(*l.defaults, n))
                                               : Utf8ToUtf16(DefaultMessage(n));
    }
  }
  return true;
}

bool Compiler::DeleteList(const toml::array& a, Settings& s) {
  for (const toml::node& node : a) {
    const toml::table& t = *node.as_table();
    if (s.DeleteList.size() == size_t(kMaxListEntries)) return Fail(node, "at most 1000 [[delete]] entries are allowed");
    if (!CheckKeys(t, "[[delete]]", {"path", "compare", "value", "restart", "at_install", "at_uninstall"}))
      return false;
    DeleteEntry entry;
    std::string path;
    const NamedValue* compare = &DeleteCompareNames()[0];
    const NamedValue* restart = &DeleteRestartNames()[0];
    bool at_install = true, at_uninstall = false;
    if (!GetString(t, "path", path, true, &node) || !GetNamed(t, "compare", DeleteCompareNames(), compare) ||
        !GetNamed(t, "restart", DeleteRestartNames(), restart) || !GetBool(t, "at_install", at_install) ||
        !GetBool(t, "at_uninstall", at_uninstall))
      return false;
    if (path.empty()) return Fail(*t.get("path"), "the path must not be empty");
    if (!ToAnsi(*t.get("path"), path, entry.path)) return false;
    std::string steps = path;
    std::replace(steps.begin(), steps.end(), '/', '\\');
    for (const std::string& part : Components(steps)) {
      if (part == "." || part == "..")
        return Fail(*t.get("path"), "the path must not step with \".\" or \"..\": it would reach outside the installation");
    }
    if (entry.path == kDeleteListEnd) return Fail(*t.get("path"), "this path is the list's end marker");
    if (!at_install && !at_uninstall)
      return Fail(node, "a [[delete]] entry applies at_install, at_uninstall or both");

    const toml::node* value = t.get("value");
    const int kind = static_cast<int>(compare->value);
    const bool by_date = kind >= kCompareDateEqual && kind <= kCompareDateOnOrBefore;
    const bool by_size = kind >= kCompareSizeEqual && kind <= kCompareSizeAtMost;
    if (kind == kCompareAlways) {
      if (value) return Fail(*value, "compare \"always\" takes no value");
    } else if (!value) {
      return Fail(*t.get("compare"), "compare \"" + std::string(compare->name) + "\" needs a value");
    } else if (by_date) {
      char text[32];
      if (const auto* d = value->as_date()) {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", d->get().year, d->get().month, d->get().day);
        entry.value = text;
      } else if (const auto* dt = value->as_date_time(); dt && !dt->get().offset) {
        const toml::date_time& v = dt->get();
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", v.date.year, v.date.month, v.date.day,
                      v.time.hour, v.time.minute, v.time.second);
        entry.value = text;
      } else if (value->is_string() && ParseDeletionDate(value->as_string()->get())) {
        entry.value = value->as_string()->get();
      } else {
        // The engine stops with a corrupt-installer error on a date it cannot read.
        return Fail(*value, "value must be a local date or date and time (2024-03-05 or 2024-03-05T14:30:00)");
      }
    } else if (by_size) {
      if (value->is_integer() && value->as_integer()->get() >= 0) {
        entry.value = std::to_string(value->as_integer()->get());
      } else if (const auto* text = value->as_string(); text && !text->get().empty() &&
                 text->get().size() <= 19 && text->get().find_first_not_of("0123456789") == std::string::npos) {
        entry.value = text->get();
      } else {
        return Fail(*value, "value must be a size in bytes (a whole number, 0 or more)");
      }
    }
    entry.kind = static_cast<uint8_t>(kind);
    entry.flags = static_cast<uint8_t>(restart->value | (at_install ? uint32_t(kConditionalDuringInstall) : 0u) |
                                       (at_uninstall ? uint32_t(kConditionalDuringUninstall) : 0u));
    s.DeleteList.push_back(std::move(entry));
  }
  return true;
}

bool Compiler::CloseList(const toml::array& a, Settings& s) {
  for (const toml::node& node : a) {
    const toml::table& t = *node.as_table();
    if (s.CloseList.size() == size_t(kMaxListEntries)) return Fail(node, "at most 1000 [[close]] entries are allowed");
    if (!CheckKeys(t, "[[close]]",
                   {"window_class", "window_title", "program_name", "action", "at_install", "at_uninstall"}))
      return false;
    CloseEntry entry;
    const NamedValue* action = &CloseActionNames()[0];
    bool at_install = true, at_uninstall = false;
    if (!GetAnsi(t, "window_class", entry.window_class) || !GetAnsi(t, "window_title", entry.window_title) ||
        !GetAnsi(t, "program_name", entry.program_name) || !GetNamed(t, "action", CloseActionNames(), action) ||
        !GetBool(t, "at_install", at_install) || !GetBool(t, "at_uninstall", at_uninstall))
      return false;
    if (entry.window_class.empty() && entry.window_title.empty())
      return Fail(node, "a [[close]] entry needs window_class or window_title; with neither it matches no window");
    if (entry.window_class == kCloseListEnd)
      return Fail(*t.get("window_class"), "this window class is the list's end marker");
    if (action->name == "ask" && entry.program_name.empty())
      return Fail(*t.get("action"), "action \"ask\" names the program to the user: program_name is needed");
    if (!at_install && !at_uninstall)
      return Fail(node, "a [[close]] entry applies at_install, at_uninstall or both");
    entry.action = static_cast<uint8_t>(action->value);
    entry.flags = static_cast<uint8_t>((at_install ? uint32_t(kCloseAtInstall) : 0u) |
                                       (at_uninstall ? uint32_t(kCloseAtUninstall) : 0u));
    s.CloseList.push_back(std::move(entry));
  }
  return true;
}

bool Compiler::Run(const toml::table& root, Project& out) {
  warnings_ = &out.warnings;
  settings_ = &out.settings;
  if (!NoNulCharacters(root)) return false;
  if (!CheckKeys(root, "the project",
                 {"product", "options", "archive", "files", "languages", "required_product", "batches", "delete",
                  "close", "registry", "associations", "firewall", "finish", "uninstall_values", "shortcuts",
                  "desktop_folder", "root_shortcut", "taskbar_pin", "appearance", "wizard", "notify"}))
    return false;
  const toml::table* product = root["product"].as_table();
  if (!product) {
    error_ = {file_name_, 1, 1, "missing [product] table"};
    return false;
  }
  for (std::string_view key : {"options", "archive", "required_product", "batches", "finish", "notify"}) {
    if (const toml::node* n = root.get(key); n && !n->is_table())
      return Fail(*n, std::string(key) + " must be a table ([" + std::string(key) + "])");
  }
  Settings& s = out.settings;
  // Appearance defaults: a plain dark-blue gradient with a white shadowed title.
  s.TitleSize = 1.0;
  s.TitleColor = 0x00FFFFFF;
  s.TitleShadow = 1;
  s.TitleFont = "Arial";
  s.TopColor = 0x00802000;
  s.BottomColor = 0x00000000;
  s.DialogVariants.fill(1);
  if (!Product(*product, s)) return false;
  if (const toml::table* t = root["required_product"].as_table(); t && !RequiredProduct(*t, s)) return false;
  if (const toml::table* t = root["batches"].as_table(); t && !Batches(*t, s)) return false;
  if (!Options(root["options"].as_table(), s, out.archive_flags)) return false;
  if (!CrossChecks(root, out)) return false;
  if (!Finish(root["finish"].as_table(), s)) return false;
  for (std::string_view key : {"appearance", "wizard"}) {
    if (const toml::node* n = root.get(key); n && !n->is_table())
      return Fail(*n, std::string(key) + " must be a table ([" + std::string(key) + "])");
  }
  if (!Appearance(root["appearance"].as_table(), s) || !Wizard(root["wizard"].as_table(), s)) return false;
  if (!Notify(root["notify"].as_table(), s)) return false;
  if (!Archive(root["archive"].as_table(), out)) return false;
  if (out.blowfish_key && !(out.archive_flags & kArcBlowfish))
    return Fail(*root["archive"]["key"].node(), "an archive key needs the blowfish option");
  bool ok = true;
  const toml::array* list = GetArrayOfTables(root, "languages", ok);
  if (!ok || !Languages(list, s)) return false;
  list = GetArrayOfTables(root, "delete", ok);
  if (!ok || (list && !DeleteList(*list, s))) return false;
  list = GetArrayOfTables(root, "close", ok);
  if (!ok || (list && !CloseList(*list, s))) return false;
  list = GetArrayOfTables(root, "registry", ok);
  if (!ok || (list && !RegistryEntries(*list, s))) return false;
  list = GetArrayOfTables(root, "associations", ok);
  if (!ok || (list && !Associations(*list, s))) return false;
  list = GetArrayOfTables(root, "firewall", ok);
  if (!ok || (list && !FirewallItems(*list, s))) return false;
  list = GetArrayOfTables(root, "uninstall_values", ok);
  if (!ok || (list && !UninstallValues(*list, s))) return false;
  list = GetArrayOfTables(root, "files", ok);
  if (!ok || !Files(list, out.files)) return false;
  list = GetArrayOfTables(root, "shortcuts", ok);
  if (!ok || (list && !ShortcutList(*list, s)) || !ShortcutTables(root, s)) return false;
  // The engine makes the shared folder whenever it has a name: give it one only when files go there.
  if (std::none_of(out.files.begin(), out.files.end(),
                   [&](const PayloadFile& f) { return UsesSharedFolder(f.record); }))
    s.SharedPath.clear();
  std::stable_sort(out.warnings.begin(), out.warnings.end(), [](const ProjectError& a, const ProjectError& b) {
    return std::pair(a.line, a.column) < std::pair(b.line, b.column);
  });
  return true;
}

}  // namespace compile

std::string ProjectError::Text() const {
  std::ostringstream o;
  o << file;
  if (line > 0) o << ':' << line << ':' << column;
  o << ": " << message;
  return o.str();
}

std::string ProjectError::WarningText() const {
  ProjectError warning = *this;
  warning.message = "warning: " + message;
  return warning.Text();
}

std::span<const NamedOption> OptionTable() { return compile::kOptions; }

bool ParseProject(std::string_view text, const std::string& file_name, const fs::path& base_dir,
                  Project& out, ProjectError& error, const Defines& defines) {
  out = Project{};
  error = ProjectError{};
  toml::table root;
  try {
    root = toml::parse(text, file_name);
  } catch (const toml::parse_error& e) {
    error.file = file_name;
    error.line = static_cast<int>(e.source().begin.line);
    error.column = static_cast<int>(e.source().begin.column);
    error.message = std::string(e.description());
    return false;
  }
  if (!ExpandDefines(root, defines, file_name, error)) return false;
  compile::Compiler compiler(file_name, base_dir, error);
  return compiler.Run(root, out);
}

bool LoadProject(const fs::path& file, Project& out, ProjectError& error, const Defines& defines) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = {file.string(), 0, 0, "cannot open the project file"};
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  fs::path base = file.parent_path();
  if (base.empty()) base = ".";
  return ParseProject(text.str(), file.string(), base, out, error, defines);
}

}  // namespace ks::builder
