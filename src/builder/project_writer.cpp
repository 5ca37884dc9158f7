// `keldwick inspect --project`: the installer's settings back in a project
// file's words. [product], [options], [batches], [archive], [[languages]],
// [[delete]] and [[close]] here; the other tables in project_writer_<area>.cpp.
#include "project_writer.h"

#include <charconv>
#include <chrono>
#include <fstream>

#include "build_time.h"
#include "default_languages.h"
#include "portable/conditional_deletion.h"
#include "portable/settings_codec.h"
#include "portable/text.h"
#include "portable/uninstall_data.h"
#include "project.h"
#include "project_finish.h"
#include "project_writer_parts.h"
#include "settings_fields.h"

namespace ks::builder {

namespace write {

std::string TomlString(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\f': out += "\\f"; break;
      case '\r': out += "\\r"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned char>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void TomlText::Comment(std::string_view text) {
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = std::min(text.find('\n', at), text.size());
    text_ += "# ";
    text_ += text.substr(at, end - at);
    text_ += "\n";
    at = end + 1;
  }
}

void TomlText::Table(std::string_view header) {
  if (!text_.empty() && !text_.ends_with("\n\n")) text_ += "\n";
  text_ += header;
  text_ += "\n";
}

void TomlText::Key(std::string_view key, const std::string& toml_value, std::string_view comment) {
  std::string line = std::string(key) + " = " + toml_value;
  if (!comment.empty()) {
    if (line.size() < 30) line.resize(30, ' ');
    line += "  # " + std::string(comment);
  }
  text_ += line + "\n";
}

void TomlText::String(std::string_view key, std::string_view utf8, std::string_view comment) {
  Key(key, TomlString(utf8), comment);
}

void TomlText::Bool(std::string_view key, bool value, std::string_view comment) {
  Key(key, value ? "true" : "false", comment);
}

void TomlText::Integer(std::string_view key, int64_t value, std::string_view comment) {
  Key(key, std::to_string(value), comment);
}

void TomlText::Float(std::string_view key, double value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  std::string text(buf, ec == std::errc() ? end : buf);
  // TOML reads "2" as an integer: keep it a float.
  if (text.find_first_of(".en") == std::string::npos) text += ".0";
  Key(key, text);
}

bool Writer::Fail(std::string_view field, std::string_view why) {
  if (problem_.empty()) problem_ = std::string(field) + ": " + std::string(why);
  return false;
}

bool Writer::Ansi(std::string_view field, const Text8& text, std::string& utf8) {
  std::u16string wide = Cp1252ToUtf16(text);
  if (Utf16ToCp1252(wide, '\x01') != text)
    return Fail(field, "holds bytes that are no character of code page 1252, which a project file cannot write");
  utf8 = Utf16ToUtf8(wide);
  return true;
}

bool Writer::Utf8(std::string_view field, const std::string& text) {
  bool ok = true;
  std::u16string wide = Utf8ToUtf16(text, &ok);
  if (!ok || Utf16ToUtf8(wide) != text) return Fail(field, "is not UTF-8 text, which a project file cannot write");
  return true;
}

bool Writer::Wide(std::string_view field, const TextW& text, std::string& utf8) {
  utf8 = Utf16ToUtf8(text);
  if (Utf8ToUtf16(utf8) != text) return Fail(field, "holds UTF-16 that is no text (a lone surrogate)");
  return true;
}

bool Writer::Named(std::string_view field, std::span<const NamedValue> table, uint32_t value,
                   std::string_view& name) {
  for (const NamedValue& v : table) {
    if (v.value != value) continue;
    if (!v.supported) return Fail(field, "value \"" + std::string(v.name) + "\" is refused in a project file");
    name = v.name;
    return true;
  }
  return Fail(field, "value " + std::to_string(value) + " has no name in a project file");
}

bool Writer::DataFile(std::string_view field, const std::string& relative, std::string_view bytes) {
  fs::path path = stage_ / fs::path(std::u8string(relative.begin(), relative.end()));
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) return Fail(field, "cannot write " + path.string());
  return true;
}

bool Writer::NoKey(std::string_view field, bool set) {
  return !set || Fail(field, "is set, and the project file has no key for it");
}

bool Writer::Product() {
  const Settings& s = s_;
  std::string name, text;
  if (!Wide("ProductName", s.ProductName, name)) return false;
  out_.Table("[product]");
  out_.String("name", name);
  if (!Ansi("ProductVersion", s.ProductVersion, text)) return false;
  if (!text.empty()) out_.String("version", text);
  if (!Wide("Publisher", s.Publisher, text)) return false;
  if (!text.empty()) out_.String("publisher", text);
  if (!Wide("ProductDescription", s.ProductDescription, text)) return false;
  if (s.ProductDescription != s.ProductName) out_.String("description", text);
  if (!Wide("DisplayTitle", s.DisplayTitle, text)) return false;
  if (s.DisplayTitle != s.ProductName) out_.String("title", text, "painted on the main window");
  if (!Wide("DefaultInstallDir", s.DefaultInstallDir, text)) return false;
  out_.String("install_dir", text);
  if (!Ansi("InstallDirRegistryValue", s.InstallDirRegistryValue, text)) return false;
  if (!text.empty()) out_.String("install_dir_registry_value", text.starts_with("\\") ? text.substr(1) : text);
  if (!Wide("ProductStartMenu", s.ProductStartMenu, text)) return false;
  out_.String("start_menu", text);
  if (!Wide("UninstallKeyName", s.UninstallKeyName, text)) return false;
  out_.String("uninstall_key", text, "the product's entry in the list of installed programs");
  // A build's defaults: "uninstall\uninstall.exe" below the installation folder.
  if (!Wide("UninstallSubdir", s.UninstallSubdir, text)) return false;
  if (text != "uninstall") out_.String("uninstall_subdir", text);
  if (!Ansi("UninstallerFileName", s.UninstallerFileName, text)) return false;
  if (text != "uninstall.exe") out_.String("uninstaller_name", text);
  if (!Wide("ProductRegistry", s.ProductRegistry, text)) return false;
  if (!text.empty()) out_.String("registry_key", text);
  if (s.SilentMode > 1) return Fail("SilentMode", "value " + std::to_string(s.SilentMode) + " has no key");
  if (s.SilentMode == 1) out_.Bool("silent", true, "install without asking anything");
  if (s.ShortcutMode > 1) return Fail("ShortcutMode", "value " + std::to_string(s.ShortcutMode) + " has no key");
  if (s.ShortcutMode == 1) out_.Bool("all_users", true, "shortcuts for every user of the machine");
  std::string_view named;
  if (!Named("Bitness", BitnessNames(), s.Bitness, named)) return false;
  if (s.Bitness != 0) out_.String("bitness", named);
  if (!Wide("Password", s.Password, text)) return false;
  if (!text.empty()) out_.String("password", text);
  // The reader gives an empty shared folder the publisher's or the product's name.
  const TextW& fallback = s.Publisher.empty() ? s.ProductName : s.Publisher;
  if (!Wide("SharedPath", s.SharedPath, text)) return false;
  if (s.SharedPath != fallback) out_.String("shared_folder", text);
  if (!Named("SharedFolderBase", SharedFolderBaseNames(), s.SharedFolderBase, named)) return false;
  if (s.SharedFolderBase != 0) out_.String("shared_folder_base", named);
  if (!Wide("SharedPathOnRemovable", s.SharedPathOnRemovable, text)) return false;
  if (!text.empty()) out_.String("shared_folder_on_removable", text);
  if (!Ansi("MustUninstallBelow", s.MustUninstallBelow, text)) return false;
  if (!text.empty()) out_.String("must_uninstall_below", text);
  if (!Ansi("ConfirmUpgradeBelow", s.ConfirmUpgradeBelow, text)) return false;
  if (!text.empty()) out_.String("confirm_upgrade_below", text);
  if (!Ansi("NoDowngradeBelow", s.NoDowngradeBelow, text)) return false;
  if (!text.empty()) out_.String("no_downgrade_below", text);
  if (s.ExcludedSystems) {
    uint32_t unnamed = 0;
    std::string list;
    for (std::string_view n : NamesOfBits(WindowsVersionNames(), s.ExcludedSystems, unnamed))
      list += (list.empty() ? "" : ", ") + TomlString(n);
    if (unnamed) return Fail("ExcludedSystems", "bits " + std::to_string(unnamed) + " have no name");
    out_.Key("excluded_systems", "[" + list + "]", "installation is refused there");
  }
  if (s.MinStatusTime) out_.Integer("min_status_time", s.MinStatusTime);
  if (s.ExtraSpace > uint64_t(INT64_MAX)) return Fail("ExtraSpace", "is above the largest TOML integer");
  if (s.ExtraSpace) out_.Integer("extra_space", int64_t(s.ExtraSpace), "bytes added to the space estimate");
  if (!Wide("AddToPathSubfolder", s.AddToPathSubfolder, text)) return false;
  if (!text.empty()) out_.String("path_subfolder", text);
  return true;
}

bool Writer::RequiredProduct() {
  if (!(s_.OptionFlags & kOptRequiredProduct)) return true;
  std::string key, name, version;
  if (!Wide("RequiredProductKey", s_.RequiredProductKey, key) ||
      !Ansi("RequiredProductName", s_.RequiredProductName, name) ||
      !Ansi("RequiredProductVersion", s_.RequiredProductVersion, version))
    return false;
  out_.Table("[required_product]");
  out_.String("key", key);
  out_.String("name", name);
  out_.String("version", version);
  return true;
}

bool Writer::Batches() {
  const std::pair<std::string_view, const Text8*> kBatches[] = {
      {"pre_install", &s_.PreInstallBatch}, {"post_install", &s_.PostInstallBatch}, {"exit", &s_.ExitBatch},
      {"upgrade", &s_.UpgradeBatch},        {"reinstall", &s_.ReinstallBatch}};
  static constexpr std::string_view kFields[] = {"PreInstallBatch", "PostInstallBatch", "ExitBatch", "UpgradeBatch",
                                                 "ReinstallBatch"};
  bool any = false;
  for (size_t i = 0; i < std::size(kBatches); ++i) {
    const auto& [key, field] = kBatches[i];
    if (field->empty()) continue;
    std::string text;
    if (!Ansi(kFields[i], *field, text)) return false;
    if (!any) out_.Table("[batches]");
    any = true;
    out_.String(key, text);
  }
  return true;
}

bool Writer::Options() {
  uint32_t left[3] = {s_.OptionFlags, s_.OptionFlags2, in_.header.ArchiveFlags};
  left[0] &= ~uint32_t(kOptRequiredProduct);  // [required_product]
  left[1] &= ~FinishSwitchBits();             // [finish]
  TomlText t;
  for (const NamedOption& o : OptionTable()) {
    uint32_t& word = left[int(o.word)];
    const bool on = (word & o.bit) != 0;
    word &= ~o.bit;
    if (on != o.default_on) t.Bool(o.name, on);
  }
  static constexpr std::string_view kWords[] = {"OptionFlags", "OptionFlags2", "ArchiveFlags"};
  for (int i = 0; i < 3; ++i) {
    if (!left[i]) continue;
    char bits[16];
    std::snprintf(bits, sizeof bits, "0x%08X", left[i]);
    return Fail(kWords[i], std::string("bits ") + bits + " have no option name");
  }
  if (t.Text().empty()) return true;  // every option as a build has it
  out_.Table("[options]");
  out_.Raw(t.Text());
  return true;
}

bool Writer::Archive() {
  // Every record carries the build's own time unless the sources' times were kept.
  const uint64_t build_time = FileTimeFromUnix(BuildTime());
  const bool sources = !records_.empty() && !(one_time_ && first_time_ == build_time);
  const bool blowfish = (in_.header.ArchiveFlags & kArcBlowfish) != 0;
  if (!sources && !blowfish) return true;
  out_.Table("[archive]");
  if (sources) out_.String("file_times", "sources", "the files' own dates, kept beside this project");
  if (blowfish) {
    std::string key;
    for (uint8_t b : in_.header.BlowfishKey) {
      char buf[3];
      std::snprintf(buf, sizeof buf, "%02x", b);
      key += buf;
    }
    out_.String("key", key);
  }
  return true;
}

bool Writer::Languages() {
  const Settings& s = s_;
  const size_t rows = s.StringTable.size();
  for (size_t k = 0; k < s.LanguageNames.size(); ++k) {
    std::string name;
    if (!Wide("LanguageNames", s.LanguageNames[k], name)) return false;
    const DefaultLanguage* known = FindDefaultLanguage(name);
    out_.Table("[[languages]]");
    out_.String("name", name);
    bool header = false;
    for (size_t n = 0; n < rows; ++n) {
      const TextW& text = k < s.StringTable[n].size() ? s.StringTable[n][k] : TextW();
      std::string_view fallback = known ? DefaultMessage(*known, int(n)) : DefaultMessage(int(n));
      // The last row sets the table's length: it is written when the defaults end before it.
      const bool last_extra = n + 1 == rows && int(rows) > kMessageCount && k == 0;
      if (text == NormaliseLineEnds(Utf8ToUtf16(fallback)) && !last_extra) continue;
      std::string utf8;
      if (!Wide("StringTable", text, utf8)) return false;
      if (!header) out_.Table("[languages.messages]");
      header = true;
      out_.String(std::to_string(n), utf8);
    }
  }
  return true;
}

bool Writer::DeleteList() {
  for (const DeleteEntry& e : s_.DeleteList) {
    std::string path, value;
    std::string_view compare;
    if (!Ansi("DeleteList", e.path, path) || !Ansi("DeleteList", e.value, value) ||
        !Named("DeleteList", DeleteCompareNames(), e.kind, compare))
      return false;
    out_.Table("[[delete]]");
    out_.String("path", path);
    if (e.kind != kCompareAlways) {
      out_.String("compare", compare);
      const bool size = e.kind >= kCompareSizeEqual && e.kind <= kCompareSizeAtMost;
      const bool digits =
          !value.empty() && value.size() < 19 && value.find_first_not_of("0123456789") == std::string::npos;
      if (size && digits && std::to_string(std::stoll(value)) == value)
        out_.Integer("value", std::stoll(value));
      else
        out_.String("value", value);
    }
    const uint32_t restart = e.flags & (kConditionalAtRestart | kConditionalRestartOnFailure);
    std::string_view restart_name;
    if (!Named("DeleteList", DeleteRestartNames(), restart, restart_name)) return false;
    if (restart) out_.String("restart", restart_name);
    out_.Bool("at_install", (e.flags & kConditionalDuringInstall) != 0);
    out_.Bool("at_uninstall", (e.flags & kConditionalDuringUninstall) != 0);
  }
  return true;
}

bool Writer::CloseList() {
  for (const CloseEntry& e : s_.CloseList) {
    std::string window_class, title, program;
    std::string_view action;
    if (!Ansi("CloseList", e.window_class, window_class) || !Ansi("CloseList", e.window_title, title) ||
        !Ansi("CloseList", e.program_name, program) || !Named("CloseList", CloseActionNames(), e.action, action))
      return false;
    out_.Table("[[close]]");
    if (!window_class.empty()) out_.String("window_class", window_class);
    if (!title.empty()) out_.String("window_title", title);
    if (!program.empty()) out_.String("program_name", program);
    out_.String("action", action);
    out_.Bool("at_install", (e.flags & kCloseAtInstall) != 0);
    out_.Bool("at_uninstall", (e.flags & kCloseAtUninstall) != 0);
  }
  return true;
}

bool Writer::Run(const std::string& installer_name) {
  const Settings& s = s_;
  // Settings the project file has no key for: refused by name, never dropped.
  Settings blank;
  if (!NoKey("UninstallerFileTimes", s.UninstallerFileTimes.IsSet()) ||
      !NoKey("UninstallBatch1", !s.UninstallBatch1.empty()) || !NoKey("UninstallBatch2", !s.UninstallBatch2.empty()) ||
      !NoKey("Reserved", s.Reserved != blank.Reserved) || !NoKey("PayloadInFile", s.PayloadInFile != 0))
    return false;
  out_.Comment("Installer project recovered from " + installer_name + " by keldwick inspect --project.");
  out_.Comment("Building it gives the same settings and files again:");
  out_.Comment("  keldwick build project.toml -o setup.exe");
  out_.Comment("Every key is described in docs/project-file.md; unknown keys are errors.");
  out_.Blank();
  if (!Product() || !RequiredProduct() || !Options() || !Batches() || !Finish() || !Appearance() || !Wizard() ||
      !Notify() || !Archive() || !Languages())
    return false;
  if (!records_.empty()) {
    out_.Blank();
    out_.Comment("The payload in the installer's order; its files lie beside this project.");
    out_.Raw(FilesText());
  }
  if (!Shortcuts() || !ShortcutTables() || !Registry() || !Associations() || !Firewall() || !UninstallValues() ||
      !DeleteList() || !CloseList())
    return false;
  return DataFile("project.toml", "project.toml", out_.Text());
}

bool Writer::Verify() {
  Project project;
  ProjectError error;
  if (!LoadProject(stage_ / "project.toml", project, error))
    return Fail("the written project", "does not build: line " + std::to_string(error.line) + ": " + error.message);
  if (project.archive_flags != in_.header.ArchiveFlags)
    return Fail("ArchiveFlags", "the project builds other archive flags");
  if ((project.archive_flags & kArcBlowfish) && project.blowfish_key != in_.header.BlowfishKey)
    return Fail("BlowfishKey", "the project builds another key");
  // Both as the engine reads them: through the script and back.
  if (std::string problem = SettingsWriteProblem(project.settings); !problem.empty())
    return Fail("the written project", "gives settings that cannot be written: " + problem);
  Bytes script = WriteSettings(project.settings);
  ByteReader reader(script);
  Settings rebuilt;
  SettingsReadOptions options;
  options.script_check = [] { return true; };
  if (ReadSettings(reader, rebuilt, options) != 0)
    return Fail("the written project", "gives settings the engine cannot read");
  if (std::string_view field = FirstDifferentField(s_, rebuilt); !field.empty())
    return Fail(field, "a project file cannot express the installer's value (building it gives another)");
  // Both were read alike, so the fields derived while reading agree as well.
  if (!(s_ == rebuilt)) return Fail("the settings", "building the project gives other settings");
  if (project.files.size() != records_.size())
    return Fail("the payload", "the project builds " + std::to_string(project.files.size()) + " files, not " +
                                   std::to_string(records_.size()));
  for (size_t i = 0; i < records_.size(); ++i) {
    const std::string where =
        "files[" + std::to_string(i) + "] (" + Utf16ToUtf8(Cp1252ToUtf16(records_[i].FileName)) + ")";
    if (std::string_view field = FirstDifferentField(records_[i], project.files[i].record); !field.empty())
      return Fail(where + "." + std::string(field), "a project file cannot express the record's value");
    if (project.files[i].source.lexically_normal() != sources_[i].lexically_normal())
      return Fail(where, "the project takes its content from another file");
  }
  return true;
}

}  // namespace write

bool WriteProjectFromInstaller(std::span<const uint8_t> image, const std::filesystem::path& dir,
                               const std::string& installer_name, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::exists(dir, ec) && (!fs::is_directory(dir, ec) || !fs::is_empty(dir, ec))) {
    error = dir.string() + " exists and is not an empty folder";
    return false;
  }
  fs::path target = fs::absolute(dir, ec).lexically_normal();
  if (!target.has_filename()) target = target.parent_path();  // "out/" names "out"
  fs::path parent = target.parent_path();
  fs::create_directories(parent, ec);
  // Everything goes to a folder beside the target first, renamed only once it is checked.
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path stage_name = target.filename();
  stage_name += ".partial-" + std::to_string(stamp);
  fs::path stage = parent / stage_name;
  fs::remove_all(stage, ec);
  if (!fs::create_directories(stage, ec)) {
    error = "cannot make " + stage.string() + ": " + ec.message();
    return false;
  }
  DecodedInstaller decoded;
  write::Writer writer(decoded, stage);
  auto visit = [&](const FileRecord& record, std::span<const uint8_t> content, std::string& problem) {
    if (writer.AddFile(record, content)) return true;
    problem = "cannot write a project: " + writer.Problem();
    return false;
  };
  // The settings are read before the first record is visited.
  bool ok = DecodeInstaller(image, decoded, visit, error);
  if (ok) {
    ok = writer.Run(installer_name) && writer.Verify();
    if (!ok) error = "cannot write a project: " + writer.Problem();
  }
  if (ok) {
    if (fs::exists(target, ec)) fs::remove(target, ec);
    fs::rename(stage, target, ec);
    if (ec) {
      error = "cannot rename " + stage.string() + " to " + target.string() + ": " + ec.message();
      ok = false;
    }
  }
  if (!ok) fs::remove_all(stage, ec);
  return ok;
}

}  // namespace ks::builder
