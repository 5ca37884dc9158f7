// The project file: TOML -> Settings, archive flags and payload files.
#include "project.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <toml++/toml.h>

#include "default_messages.h"
#include "named_values.h"
#include "portable/archive.h"
#include "portable/conditional_deletion.h"
#include "portable/path_rules.h"
#include "portable/text.h"
#include "portable/uninstall_data.h"
#include "version_resource.h"

namespace ks::builder {

namespace fs = std::filesystem;

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
    // ArchiveFlags
    {"reinstall_batch_same_version_only", FlagWord::kArchiveFlags, kArcReinstallSameVersionOnly, false},
    {"restore_point", FlagWord::kArchiveFlags, kArcRestorePoint, false},
    {"uninstaller_image", FlagWord::kArchiveFlags, kArcUninstallerImage, true},
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
};

constexpr uint32_t kArchiveAttribute = 0x20;   // FILE_ATTRIBUTE_ARCHIVE
constexpr uint32_t kReadOnlyAttribute = 0x01;  // FILE_ATTRIBUTE_READONLY

constexpr size_t kMaxNoDowngradeBelow = 255;  // a Str8 field

// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kFileTimeEpochOffset = 11644473600LL;

// Registry roots a project may name, by short and long name.
struct RegistryRoot {
  std::string_view short_name, long_name;
};
constexpr RegistryRoot kRegistryRoots[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE"}, {"HKCU", "HKEY_CURRENT_USER"}, {"HKCR", "HKEY_CLASSES_ROOT"},
    {"HKU", "HKEY_USERS"},          {"HKCC", "HKEY_CURRENT_CONFIG"},
};

// Splits "HKLM\\Software\\Maker\\Value" (any case, long root names, an
// optional leading backslash) into the root's short name and the rest.
// False when the text does not begin with a registry root.
bool SplitRegistryPath(std::string_view text, std::string_view& root, std::string& rest) {
  if (!text.empty() && text.front() == '\\') text.remove_prefix(1);
  size_t slash = text.find('\\');
  if (slash == std::string_view::npos) return false;
  std::string_view name = text.substr(0, slash);
  for (const RegistryRoot& r : kRegistryRoots) {
    if (EqualsNoCase8(name, r.short_name) || EqualsNoCase8(name, r.long_name)) {
      root = r.short_name;
      rest = std::string(text.substr(slash + 1));
      return true;
    }
  }
  return false;
}

// A value path needs a key: "key\\value" (an empty value name is the key's default value).
bool HasKeyAndValue(std::string_view rest) {
  size_t slash = rest.rfind('\\');
  return slash != std::string_view::npos && slash > 0;
}

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

bool IsVariable(std::string_view part) {
  return part.size() >= 3 && part.front() == '%' && part.back() == '%' &&
         part.find('%', 1) == part.size() - 1;
}

bool IsDrive(std::string_view part) {
  return part.size() == 2 && HasDriveLetter(part);
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// Where a [[files]] entry puts its files, as written in `dest`.
struct Placement {
  enum Form {
    kKindFolder,   // FileName = relative path below the kind's folder
    kSubfolder,    // FileName = folder \ relative path
    kTargetName,   // one file; FileName = the relative target
    kFolderDest,   // Destination = folder \ sub-folders \ ; FileName = relative path
    kTargetDest,   // one file; Destination = the full target; FileName = its last part
  } form = kKindFolder;
  std::string path;  // backslashes, no trailing one
};

class Compiler {
 public:
  Compiler(const std::string& file_name, const fs::path& base_dir, ProjectError& error)
      : file_name_(file_name), base_dir_(base_dir), error_(error) {}

  bool Run(const toml::table& root, Project& out);

 private:
  bool Fail(const toml::source_region& where, std::string message) {
    error_.file = file_name_;
    error_.line = static_cast<int>(where.begin.line);
    error_.column = static_cast<int>(where.begin.column);
    error_.message = std::move(message);
    return false;
  }
  bool Fail(const toml::node& where, std::string message) {
    return Fail(where.source(), std::move(message));
  }

  bool CheckKeys(const toml::table& table, std::string_view where,
                 std::initializer_list<std::string_view> allowed);
  bool GetString(const toml::table& t, std::string_view key, std::string& out, bool required = false,
                 const toml::node* owner = nullptr);
  bool GetBool(const toml::table& t, std::string_view key, bool& out);
  bool GetInteger(const toml::table& t, std::string_view key, int64_t& out, int64_t min, int64_t max);
  bool GetAnsi(const toml::table& t, std::string_view key, std::string& out);
  bool GetWide(const toml::table& t, std::string_view key, std::u16string& out);
  bool GetNamed(const toml::table& t, std::string_view key, std::span<const NamedValue> table,
                const NamedValue*& out);
  bool ToAnsi(const toml::node& where, std::string_view utf8, std::string& out);
  const toml::array* GetArrayOfTables(const toml::table& root, std::string_view key, bool& ok);

  bool Product(const toml::table& t, Settings& s);
  bool RequiredProduct(const toml::table& t, Settings& s);
  bool Batches(const toml::table& t, Settings& s);
  bool Options(const toml::table* t, Settings& s, uint32_t& archive_flags);
  bool CrossChecks(const toml::table& root, const Project& out);
  bool Archive(const toml::table* t, Project& out);
  bool Languages(const toml::array* a, Settings& s);
  bool DeleteList(const toml::array& a, Settings& s);
  bool CloseList(const toml::array& a, Settings& s);
  bool Files(const toml::array* a, std::vector<PayloadFile>& files);
  bool ParseDest(const toml::node& where, std::string dest, bool folder_source, Placement& out);
  bool AddFile(const toml::table& entry, const fs::path& source, const fs::path& relative,
               const Placement& placement, const FileRecord& base, bool attributes_given,
               std::vector<PayloadFile>& files);

  std::string file_name_;
  fs::path base_dir_;
  ProjectError& error_;
  // The [[files]] entry of each payload file, for the duplicate check.
  std::vector<const toml::table*> entry_of_file_;
};

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
                  "extra_space"}))
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
      !GetWide(t, "shared_folder", s.SharedPath) ||
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
  if (!uninstall_subdir.empty()) {
    for (const std::string& part : Components(uninstall_subdir)) {
      if (!IsValidFileName(Utf8ToUtf16(part)))
        return Fail(*t.get("uninstall_subdir"), "uninstall_subdir must be a subfolder of the installation folder");
    }
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
  if (uninstaller_name.empty() || uninstaller_name.find_first_of("\\/:") != std::string::npos)
    return Fail(t.get("uninstaller_name") ? *t.get("uninstaller_name") : *t.get("name"),
                "uninstaller_name must be a plain file name");

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
      auto it = std::find_if(std::begin(kOptions), std::end(kOptions),
                             [&](const NamedOption& o) { return o.name == key.str(); });
      if (it == std::end(kOptions))
        return Fail(value, "unknown option '" + std::string(key.str()) + "'");
      if (!value.is_boolean())
        return Fail(value, "option '" + std::string(key.str()) + "' must be true or false");
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
  if (!CheckKeys(*t, "[archive]", {"key"})) return false;
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
      Language lang{Utf8ToUtf16(name), {}};
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
      auto it = languages[k].messages.find(n);
      s.StringTable[n][k] = it != languages[k].messages.end() ? it->second
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

// `dest` as written: a relative folder or file, or one that begins with a
// folder variable or a drive and goes to FileRecord.Destination as it is.
bool Compiler::ParseDest(const toml::node& where, std::string dest, bool folder_source, Placement& out) {
  for (char& c : dest) if (c == '/') c = '\\';
  out = Placement{};
  if (dest.empty()) return true;
  bool unc = dest.rfind("\\\\", 0) == 0;
  bool folder = folder_source || dest.back() == '\\';
  while (!dest.empty() && dest.back() == '\\') dest.pop_back();
  if (!unc) while (!dest.empty() && dest.front() == '\\') dest.erase(0, 1);
  if (dest.empty()) return true;

  std::vector<std::string> parts = Components(unc ? dest.substr(2) : dest);
  const bool rooted = unc || IsVariable(parts.front()) || IsDrive(parts.front());
  // A variable or drive alone names a folder.
  if (rooted && parts.size() == 1) folder = true;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (i == 0 && rooted) continue;
    if (part == "..")
      return Fail(where, "dest must not climb out with \"..\"; begin it with a folder variable instead");
    if (!rooted && part.find('%') != std::string::npos)
      return Fail(where, "folder variables are expanded only at the start of dest (\"%InstallDir%\\\\...\")");
    if (!IsValidFileName(Utf8ToUtf16(part)) && part.find('%') == std::string::npos)
      return Fail(where, "\"" + part + "\" in dest is not a valid folder or file name");
  }
  out.path = dest;
  if (rooted) out.form = folder ? Placement::kFolderDest : Placement::kTargetDest;
  else out.form = folder ? Placement::kSubfolder : Placement::kTargetName;
  return true;
}

bool Compiler::AddFile(const toml::table& entry, const fs::path& source, const fs::path& relative,
                       const Placement& placement, const FileRecord& base, bool attributes_given,
                       std::vector<PayloadFile>& files) {
  std::error_code ec;
  uintmax_t size = fs::file_size(source, ec);
  if (ec) return Fail(entry, "cannot read " + source.string() + ": " + ec.message());
  if (size > kMaxPayloadFileSize)
    return Fail(entry, source.string() + " is larger than 1 GiB, the most one file may hold");

  // Record names use backslashes and code page 1252, as the engine joins them.
  std::string rel;
  for (const fs::path& part : relative) {
    if (!IsValidFileName(Utf8ToUtf16(part.string())))
      return Fail(entry, "\"" + part.string() + "\" in " + source.string() + " is not a valid Windows file name");
    if (!rel.empty()) rel += '\\';
    rel += part.string();
  }
  std::string name, destination;
  switch (placement.form) {
    case Placement::kKindFolder: name = rel; break;
    case Placement::kSubfolder: name = placement.path + "\\" + rel; break;
    case Placement::kTargetName: name = placement.path; break;
    case Placement::kFolderDest: {
      // The engine adds the file's own name to a destination ending in "\".
      name = rel;
      size_t slash = rel.rfind('\\');
      destination = placement.path + "\\" + (slash == std::string::npos ? "" : rel.substr(0, slash + 1));
      break;
    }
    case Placement::kTargetDest:
      name = placement.path.substr(placement.path.rfind('\\') + 1);
      destination = placement.path;
      break;
  }
  PayloadFile file{source, base};
  if (!ToAnsi(entry, name, file.record.FileName) || !ToAnsi(entry, destination, file.record.Destination))
    return false;

  if (file.record.Kind == kKindVersioned && file.record.Title.empty()) {
    // Without a version text the engine compares dates only; a program's own
    // version resource is what the engine reads from the installed copy.
    std::ifstream in(source, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    file.record.Title = FixedFileVersion(bytes);
  }

  uint64_t time = FileTimeOf(source);
  // Linux keeps no creation time we can rely on: all three times are the mtime.
  file.record.FileTime = FileTimes{time, time, time};
  if (!attributes_given) {
    uint32_t attributes = kArchiveAttribute;
    auto perms = fs::status(source, ec).permissions();
    if (!ec && (perms & fs::perms::owner_write) == fs::perms::none) attributes |= kReadOnlyAttribute;
    file.record.Attributes = attributes;
  }
  files.push_back(std::move(file));
  entry_of_file_.push_back(&entry);
  return true;
}

bool Compiler::Files(const toml::array* a, std::vector<PayloadFile>& files) {
  if (!a) return true;
  for (const toml::node& node : *a) {
    const toml::table* t = node.as_table();
    if (!CheckKeys(*t, "[[files]]",
                   {"source", "dest", "kind", "overwrite", "permanent", "into_uninstall_folder", "version",
                    "attributes", "keep_attributes", "desktop_shortcut", "start_menu_shortcut", "shortcut_name",
                    "arguments", "working_folder", "icon"}))
      return false;
    std::string source, dest, shortcut_name, version;
    FileRecord base;
    const NamedValue* kind = &FileKindNames()[0];
    const NamedValue* overwrite = &OverwriteNames()[0];
    bool permanent = false, uninstall_folder = false, keep_attributes = false, desktop = false,
         start_menu = false;
    if (!GetString(*t, "source", source, true, &node) || !GetString(*t, "dest", dest) ||
        !GetString(*t, "shortcut_name", shortcut_name) || !GetString(*t, "version", version) ||
        !GetAnsi(*t, "arguments", base.Arguments) || !GetAnsi(*t, "working_folder", base.WorkingFolder) ||
        !GetAnsi(*t, "icon", base.IconFile) || !GetBool(*t, "permanent", permanent) ||
        !GetBool(*t, "into_uninstall_folder", uninstall_folder) ||
        !GetBool(*t, "keep_attributes", keep_attributes) || !GetBool(*t, "desktop_shortcut", desktop) ||
        !GetBool(*t, "start_menu_shortcut", start_menu))
      return false;

    if (const toml::node* k = t->get("kind")) {
      const NamedValue* found = k->is_string() ? FindByName(FileKindNames(), k->as_string()->get()) : nullptr;
      if (found && !found->supported)
        return Fail(*k, "kind \"" + std::string(found->name) + "\" is not installed by the engine yet; use one of " +
                            NameList(FileKindNames()));
      if (!found) return Fail(*k, "kind must be one of " + NameList(FileKindNames()));
      kind = found;
    }
    base.Kind = kind->value;
    if (!GetNamed(*t, "overwrite", OverwriteNames(), overwrite)) return false;
    if (overwrite->name == "always" && base.Kind != kKindFile)
      return Fail(*t->get("overwrite"), "overwrite \"always\" is for kind \"file\"; kind \"" +
                                            std::string(kind->name) + "\" compares " +
                                            (base.Kind == kKindShared ? "dates" : "versions and dates") +
                                            " by default (\"by_kind\")");
    base.FileFlags = overwrite->value;
    if (permanent) base.FileFlags |= kFilePermanent;
    if (uninstall_folder) base.FileFlags |= kFileInUninstallDir;

    // Shortcuts belong to ordinary files; on other kinds Title is the version.
    for (std::string_view key : {"desktop_shortcut", "start_menu_shortcut", "shortcut_name", "arguments",
                                 "working_folder", "icon"}) {
      const toml::node* n = t->get(key);
      if (!n || (n->is_boolean() && !n->as_boolean()->get())) continue;
      if (base.Kind != kKindFile) return Fail(*n, std::string(key) + " is for kind \"file\" only");
      if (!desktop && !start_menu && !n->is_boolean())
        return Fail(*n, std::string(key) + " needs desktop_shortcut or start_menu_shortcut");
    }
    if (desktop) base.FileFlags |= kFileDesktopShortcut;
    if (start_menu) base.FileFlags |= kFileStartMenuShortcut;
    if (const toml::node* v = t->get("version")) {
      if (base.Kind != kKindVersioned) return Fail(*v, "version is for kind \"versioned\" only");
      if (!ToAnsi(*v, version, base.Title)) return false;
    } else {
      // Shortcut names are UTF-8 in the record.
      base.Title = shortcut_name;
    }

    const toml::node* attributes = t->get("attributes");
    if (attributes && keep_attributes)
      return Fail(*attributes, "attributes and keep_attributes exclude each other");
    if (keep_attributes) base.Attributes = kKeepAttributes;
    if (attributes) {
      const toml::array* list = attributes->as_array();
      if (!list) return Fail(*attributes, "attributes must be a list of names such as [\"read_only\"]");
      base.Attributes = 0;
      for (const toml::node& item : *list) {
        const NamedValue* bit = item.is_string() ? FindByName(AttributeNames(), item.as_string()->get()) : nullptr;
        if (!bit) return Fail(item, "attributes entries must be one of " + NameList(AttributeNames()));
        base.Attributes |= bit->value;
      }
    }

    fs::path src = fs::path(source);
    if (src.is_relative()) src = base_dir_ / src;
    std::error_code ec;
    auto status = fs::status(src, ec);
    if (ec || !fs::exists(status))
      return Fail(*t->get("source"), "source " + src.string() + " does not exist");
    const bool folder_source = fs::is_directory(status);

    Placement placement;
    if (t->get("dest") && !ParseDest(*t->get("dest"), dest, folder_source, placement)) return false;
    // A destination of its own overrides the uninstall-data folder in the engine.
    if (uninstall_folder &&
        (placement.form == Placement::kFolderDest || placement.form == Placement::kTargetDest))
      return Fail(*t->get("dest"),
                  "into_uninstall_folder takes a dest below the uninstall-data folder, not one with a variable or drive");
    const bool attributes_given = attributes || keep_attributes;

    if (folder_source) {
      std::vector<fs::path> found;
      for (auto it = fs::recursive_directory_iterator(src, ec); !ec && it != fs::recursive_directory_iterator();
           it.increment(ec)) {
        if (it->is_regular_file()) found.push_back(it->path());
      }
      if (ec) return Fail(*t->get("source"), "cannot list " + src.string() + ": " + ec.message());
      // Directory order is arbitrary; sorted names give reproducible installers.
      std::sort(found.begin(), found.end());
      for (const fs::path& f : found) {
        if (!AddFile(*t, f, fs::relative(f, src), placement, base, attributes_given, files)) return false;
      }
    } else {
      if (!AddFile(*t, src, src.filename(), placement, base, attributes_given, files)) return false;
    }
  }

  // Two records for one target would overwrite each other at install time.
  std::set<std::string> seen;
  for (size_t i = 0; i < files.size(); ++i) {
    const FileRecord& r = files[i].record;
    std::string target;
    if (!r.Destination.empty()) {
      target = r.Destination;
      if (target.back() == '\\') target += r.FileName.substr(r.FileName.rfind('\\') + 1);
    } else {
      target = (r.FileFlags & kFileInUninstallDir) ? "%UninstallDir%\\"
               : r.Kind == kKindShared             ? "%SharedDir%\\"
                                                   : "%InstallDir%\\";
      target += r.FileName;
    }
    if (!seen.insert(Lower(target)).second)
      return Fail(*entry_of_file_[i], "two sources install the same file " + target);
  }
  return true;
}

bool Compiler::Run(const toml::table& root, Project& out) {
  if (!CheckKeys(root, "the project",
                 {"product", "options", "archive", "files", "languages", "required_product", "batches", "delete",
                  "close"}))
    return false;
  const toml::table* product = root["product"].as_table();
  if (!product) {
    error_ = {file_name_, 1, 1, "missing [product] table"};
    return false;
  }
  for (std::string_view key : {"options", "archive", "required_product", "batches"}) {
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
  list = GetArrayOfTables(root, "files", ok);
  return ok && Files(list, out.files);
}

}  // namespace

std::string ProjectError::Text() const {
  std::ostringstream o;
  o << file;
  if (line > 0) o << ':' << line << ':' << column;
  o << ": " << message;
  return o.str();
}

std::span<const NamedOption> OptionTable() { return kOptions; }

uint64_t FileTimeOf(const fs::path& path) {
  std::error_code ec;
  auto ftime = fs::last_write_time(path, ec);
  if (ec) return 0;
  auto sys = std::chrono::file_clock::to_sys(ftime);
  auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count() / 100;
  int64_t value = ticks + kFileTimeEpochOffset * 10000000LL;
  return value > 0 ? static_cast<uint64_t>(value) : 0;
}

bool ParseProject(std::string_view text, const std::string& file_name, const fs::path& base_dir,
                  Project& out, ProjectError& error) {
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
  Compiler compiler(file_name, base_dir, error);
  return compiler.Run(root, out);
}

bool LoadProject(const fs::path& file, Project& out, ProjectError& error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = {file.string(), 0, 0, "cannot open the project file"};
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  fs::path base = file.parent_path();
  if (base.empty()) base = ".";
  return ParseProject(text.str(), file.string(), base, out, error);
}

}  // namespace ks::builder
