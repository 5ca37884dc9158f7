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
#include "portable/archive.h"
#include "portable/text.h"

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
    {"button_images", FlagWord::kArchiveFlags, kArcButtonImages, false},
    {"no_start_menu_on_removable", FlagWord::kArchiveFlags, kArcNoStartMenuOnRemovable, false},
    {"blowfish", FlagWord::kArchiveFlags, kArcBlowfish, false},
    {"desktop_folder_from_product", FlagWord::kArchiveFlags, kArcDesktopFolderFromProduct, false},
    {"folder_name_test", FlagWord::kArchiveFlags, kArcFolderNameTest, false},
};

constexpr uint32_t kArchiveAttribute = 0x20;   // FILE_ATTRIBUTE_ARCHIVE
constexpr uint32_t kReadOnlyAttribute = 0x01;  // FILE_ATTRIBUTE_READONLY

// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kFileTimeEpochOffset = 11644473600LL;

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
  bool ToAnsi(const toml::node& where, std::string_view utf8, std::string& out);

  bool Product(const toml::table& t, Settings& s);
  bool Options(const toml::table* t, Settings& s, uint32_t& archive_flags);
  bool Archive(const toml::table* t, Project& out);
  bool Languages(const toml::array* a, Settings& s);
  bool Files(const toml::array* a, std::vector<PayloadFile>& files);
  bool AddFile(const toml::table& entry, const fs::path& source, const fs::path& relative,
               const FileRecord& base, std::vector<PayloadFile>& files);

  std::string file_name_;
  fs::path base_dir_;
  ProjectError& error_;
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

bool Compiler::ToAnsi(const toml::node& where, std::string_view utf8, std::string& out) {
  std::u16string wide = Utf8ToUtf16(utf8);
  out = Utf16ToCp1252(wide, '\x01');
  if (out.find('\x01') != std::string::npos)
    return Fail(where, "text \"" + std::string(utf8) + "\" has characters outside code page 1252");
  return true;
}

bool Compiler::Product(const toml::table& t, Settings& s) {
  if (!CheckKeys(t, "[product]",
                 {"name", "version", "publisher", "description", "install_dir", "start_menu",
                  "silent", "uninstall_key", "uninstall_subdir", "uninstaller_name",
                  "registry_key", "bitness", "all_users", "title", "password"}))
    return false;
  std::string name, version, publisher, description, install_dir, start_menu, uninstall_key,
      uninstall_subdir = "uninstall", uninstaller_name = "uninstall.exe", registry_key,
      bitness = "any", title, password;
  bool silent = false, all_users = false;
  if (!GetString(t, "name", name, true) || !GetString(t, "version", version) ||
      !GetString(t, "publisher", publisher) || !GetString(t, "description", description) ||
      !GetString(t, "install_dir", install_dir) || !GetString(t, "start_menu", start_menu) ||
      !GetString(t, "uninstall_key", uninstall_key) ||
      !GetString(t, "uninstall_subdir", uninstall_subdir) ||
      !GetString(t, "uninstaller_name", uninstaller_name) ||
      !GetString(t, "registry_key", registry_key) || !GetString(t, "bitness", bitness) ||
      !GetString(t, "title", title) || !GetString(t, "password", password) ||
      !GetBool(t, "silent", silent) || !GetBool(t, "all_users", all_users))
    return false;
  if (name.empty()) return Fail(*t.get("name"), "the product name must not be empty");
  if (install_dir.empty()) install_dir = "%ProgramsDir%\\" + name;
  if (title.empty()) title = name;

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
  if (bitness == "any") s.Bitness = 0;
  else if (bitness == "64") s.Bitness = 1;
  else if (bitness == "32") s.Bitness = 2;
  else return Fail(*t.get("bitness"), "bitness must be \"any\", \"32\" or \"64\"");
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
          if (n > 9999) return Fail(value, "message number " + k + " is above 9999");
          lang.messages[n] = Utf8ToUtf16(value.as_string()->get());
          max_number = std::max(max_number, n);
        }
      }
      languages.push_back(std::move(lang));
    }
    if (languages.size() > 200) return Fail(*a, "at most 200 languages are allowed");
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

bool Compiler::AddFile(const toml::table& entry, const fs::path& source, const fs::path& relative,
                       const FileRecord& base, std::vector<PayloadFile>& files) {
  std::error_code ec;
  uintmax_t size = fs::file_size(source, ec);
  if (ec) return Fail(entry, "cannot read " + source.string() + ": " + ec.message());
  if (size > kMaxPayloadFileSize)
    return Fail(entry, source.string() + " is larger than 1 GiB, the most one file may hold");

  // Record names use backslashes and code page 1252, as the engine joins them.
  std::string name;
  for (const fs::path& part : relative) {
    if (!name.empty()) name += '\\';
    name += part.string();
  }
  PayloadFile file{source, base};
  if (!ToAnsi(entry, name, file.record.FileName)) return false;

  uint64_t time = FileTimeOf(source);
  // Linux keeps no creation time we can rely on: all three times are the mtime.
  file.record.FileTime = FileTimes{time, time, time};
  uint32_t attributes = kArchiveAttribute;
  auto perms = fs::status(source, ec).permissions();
  if (!ec && (perms & fs::perms::owner_write) == fs::perms::none) attributes |= kReadOnlyAttribute;
  file.record.Attributes = attributes;
  files.push_back(std::move(file));
  return true;
}

bool Compiler::Files(const toml::array* a, std::vector<PayloadFile>& files) {
  if (!a) return true;
  for (const toml::node& node : *a) {
    const toml::table* t = node.as_table();
    if (!t) return Fail(node, "each [[files]] entry must be a table");
    if (!CheckKeys(*t, "[[files]]",
                   {"source", "dest", "kind", "overwrite", "permanent", "desktop_shortcut",
                    "start_menu_shortcut", "shortcut_name", "arguments", "working_folder", "icon"}))
      return false;
    std::string source, dest, kind = "file", overwrite = "always", shortcut_name, arguments,
                                  working_folder, icon;
    bool permanent = false, desktop = false, start_menu = false;
    if (!GetString(*t, "source", source, true, &node) || !GetString(*t, "dest", dest) ||
        !GetString(*t, "kind", kind) || !GetString(*t, "overwrite", overwrite) ||
        !GetString(*t, "shortcut_name", shortcut_name) || !GetString(*t, "arguments", arguments) ||
        !GetString(*t, "working_folder", working_folder) || !GetString(*t, "icon", icon) ||
        !GetBool(*t, "permanent", permanent) || !GetBool(*t, "desktop_shortcut", desktop) ||
        !GetBool(*t, "start_menu_shortcut", start_menu))
      return false;
    if (kind != "file") return Fail(*t->get("kind"), "kind must be \"file\"");

    FileRecord base;
    base.Kind = kKindFile;
    static const std::pair<std::string_view, uint32_t> kOverwrite[] = {
        {"always", 0}, {"never", kFileOverwriteNever}, {"if_exists", kFileOverwriteIfExists},
        {"if_missing", kFileOverwriteIfMissing}, {"unless_newer", kFileOverwriteUnlessNewer}};
    auto mode = std::find_if(std::begin(kOverwrite), std::end(kOverwrite),
                             [&](auto& m) { return m.first == overwrite; });
    if (mode == std::end(kOverwrite))
      return Fail(*t->get("overwrite"),
                  "overwrite must be one of always, never, if_exists, if_missing, unless_newer");
    base.FileFlags = mode->second;
    if (permanent) base.FileFlags |= kFilePermanent;
    if (desktop) base.FileFlags |= kFileDesktopShortcut;
    if (start_menu) base.FileFlags |= kFileStartMenuShortcut;
    // Shortcut names are UTF-8 in the record; the other texts are 8-bit paths.
    base.Title = shortcut_name;
    if (!ToAnsi(node, arguments, base.Arguments) ||
        !ToAnsi(node, working_folder, base.WorkingFolder) || !ToAnsi(node, icon, base.IconFile))
      return false;

    for (char& c : dest) if (c == '/') c = '\\';
    while (!dest.empty() && dest.back() == '\\') dest.pop_back();
    while (!dest.empty() && dest.front() == '\\') dest.erase(0, 1);
    bool outside = dest.find(':') != std::string::npos;
    for (size_t at = 0; at <= dest.size() && !dest.empty();) {
      size_t next = std::min(dest.find('\\', at), dest.size());
      if (dest.compare(at, next - at, "..") == 0) outside = true;
      at = next + 1;
    }
    if (outside) return Fail(*t->get("dest"), "dest must be a subfolder of the installation folder");
    fs::path dest_path;
    if (!dest.empty()) {
      std::string d = dest;
      for (char& c : d) if (c == '\\') c = '/';
      dest_path = fs::path(d);
    }

    fs::path src = fs::path(source);
    if (src.is_relative()) src = base_dir_ / src;
    std::error_code ec;
    auto status = fs::status(src, ec);
    if (ec || !fs::exists(status))
      return Fail(*t->get("source"), "source " + src.string() + " does not exist");
    if (fs::is_directory(status)) {
      std::vector<fs::path> found;
      for (auto it = fs::recursive_directory_iterator(src, ec); !ec && it != fs::recursive_directory_iterator();
           it.increment(ec)) {
        if (it->is_regular_file()) found.push_back(it->path());
      }
      if (ec) return Fail(*t->get("source"), "cannot list " + src.string() + ": " + ec.message());
      // Directory order is arbitrary; sorted names give reproducible installers.
      std::sort(found.begin(), found.end());
      for (const fs::path& f : found) {
        if (!AddFile(*t, f, dest_path / fs::relative(f, src), base, files)) return false;
      }
    } else {
      if (!AddFile(*t, src, dest_path / src.filename(), base, files)) return false;
    }
  }
  std::set<std::string> seen;
  for (const PayloadFile& f : files) {
    std::string lower = f.record.FileName;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (!seen.insert(lower).second) {
      error_ = {file_name_, 0, 0, "two sources install the same file " + f.record.FileName};
      return false;
    }
  }
  return true;
}

bool Compiler::Run(const toml::table& root, Project& out) {
  if (!CheckKeys(root, "the project", {"product", "options", "archive", "files", "languages"}))
    return false;
  const toml::table* product = root["product"].as_table();
  if (!product) {
    error_ = {file_name_, 1, 1, "missing [product] table"};
    return false;
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
  if (!Options(root["options"].as_table(), s, out.archive_flags)) return false;
  if (const toml::node* n = root.get("options"); n && !n->is_table())
    return Fail(*n, "options must be a table");
  if (!Archive(root["archive"].as_table(), out)) return false;
  if (out.blowfish_key && !(out.archive_flags & kArcBlowfish))
    return Fail(*root["archive"]["key"].node(), "an archive key needs the blowfish option");
  if (const toml::node* n = root.get("languages"); n && !n->is_array())
    return Fail(*n, "languages must be an array of tables ([[languages]])");
  if (!Languages(root["languages"].as_array(), s)) return false;
  if (const toml::node* n = root.get("files"); n && !n->is_array())
    return Fail(*n, "files must be an array of tables ([[files]])");
  return Files(root["files"].as_array(), out.files);
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
