// Placing payload files: walking source folders, reading each file's
// record fields, choosing its destination and catching two files on one target.
#include <algorithm>
#include <chrono>
#include <fstream>
#include <set>

#include "named_values.h"
#include "portable/file_name_rule.h"
#include "portable/payload.h"
#include "portable/path_rules.h"
#include "portable/text.h"
#include "build_time.h"
#include "project_compiler.h"
#include "version_resource.h"

namespace ks::builder {

namespace fs = std::filesystem;

namespace compile {

namespace {

constexpr uint32_t kArchiveAttribute = 0x20;   // FILE_ATTRIBUTE_ARCHIVE
constexpr uint32_t kReadOnlyAttribute = 0x01;  // FILE_ATTRIBUTE_READONLY


bool IsVariable(std::string_view part) {
  return part.size() >= 3 && part.front() == '%' && part.back() == '%' &&
         part.find('%', 1) == part.size() - 1;
}

bool IsDrive(std::string_view part) {
  return part.size() == 2 && HasDriveLetter(part);
}

// Kinds whose Title is the file version the engine compares.
bool ComparesVersions(uint32_t kind) { return kind >= kKindSystem && kind <= kKindVersioned; }

// Where the symbolic links of a folder source lead is part of its message.
std::string Shown(const fs::path& path) { return "\"" + path.string() + "\""; }

}  // namespace

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
    if (part == "." || part == "..")
      return Fail(where, "dest must not step with \"" + part + "\"; begin it with a folder variable instead");
    if (!rooted && part.find('%') != std::string::npos)
      return Fail(where, "folder variables are expanded only at the start of dest (\"%InstallDir%\\\\...\")");
    if (!CheckName(where, part, "dest")) return false;
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
    NameProblem problem = WindowsNameProblem(Utf8ToUtf16(part.string()));
    if (problem != NameProblem::kNone)
      return Fail(entry, "\"" + part.string() + "\" in " + Shown(source) + " is not a valid Windows name: it " +
                             std::string(NameProblemText(problem)));
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

  if (ComparesVersions(file.record.Kind) && file.record.Title.empty()) {
    // Without a version text the engine compares dates only; a program's own
    // version resource is what the engine reads from the installed copy.
    std::ifstream in(source, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    file.record.Title = FixedFileVersion(bytes);
  }

  const uint64_t build_time = FileTimeFromUnix(BuildTime());
  uint64_t time = build_time;
  if (keep_file_times_) {
    std::string problem;
    time = FileTimeOf(source);
    if (SourceDateEpoch(problem) && time > build_time) time = build_time;
  }
  // Linux keeps no creation time we can rely on: all three times are the same.
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

bool Compiler::UsesSharedFolder(const FileRecord& record) const {
  if (record.Destination.empty()) return record.Kind == kKindShared && !(record.FileFlags & kFileInUninstallDir);
  std::u16string upper = NtfsUpcase(Cp1252ToUtf16(record.Destination));
  return upper.find(u"%SHAREDDIR%") != std::u16string::npos;
}

bool Compiler::WalkFolder(const toml::node& where, const fs::path& folder, const fs::path& relative,
                          std::vector<fs::path>& ancestors, std::vector<fs::path>& found) {
  std::error_code ec;
  fs::path real = fs::canonical(folder, ec);
  if (ec) return Fail(where, "cannot follow " + Shown(folder) + ": " + ec.message());
  for (const fs::path& above : ancestors) {
    if (above == real)
      return Fail(where, "the link " + Shown(folder) + " leads back to " + Shown(real) + ", which holds it: a loop");
  }
  std::vector<fs::path> names;
  for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    names.push_back(it->path().filename());
  if (ec) return Fail(where, "cannot list " + Shown(folder) + ": " + ec.message());
  // Directory order is arbitrary; sorted names give reproducible installers.
  std::sort(names.begin(), names.end());
  ancestors.push_back(real);
  for (const fs::path& name : names) {
    fs::path path = folder / name;
    // A link counts under its own name with what it leads to.
    fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status))
      return Fail(where, "cannot follow " + Shown(path) + ": " + (ec ? ec.message() : "it leads nowhere"));
    if (fs::is_directory(status)) {
      if (!WalkFolder(where, path, relative / name, ancestors, found)) return false;
    } else if (fs::is_regular_file(status)) {
      found.push_back(relative / name);
    }
  }
  ancestors.pop_back();
  return true;
}

bool Compiler::Files(const toml::array* a, std::vector<PayloadFile>& files) {
  if (!a) return true;
  for (const toml::node& node : *a) {
    const toml::table* t = node.as_table();
    if (!CheckKeys(*t, "[[files]]",
                   {"source", "dest", "kind", "overwrite", "permanent", "into_uninstall_folder", "version",
                    "attributes", "keep_attributes", "desktop_shortcut", "start_menu_shortcut", "shortcut_name",
                    "arguments", "working_folder", "icon", "font_face", "applet_name", "msi_ui_level",
                    "uninstall_with_product"}))
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
    std::string no_epoch;
    if (overwrite->value == kFileOverwriteUnlessNewer && !keep_file_times_ && !SourceDateEpoch(no_epoch))
      Warn(*t->get("overwrite"), "overwrite \"unless_newer\" compares file dates, and every file carries the "
                                 "fixed date 2000-01-01: set SOURCE_DATE_EPOCH for each release, or "
                                 "[archive] file_times = \"sources\"");
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
      if (!ComparesVersions(base.Kind))
        return Fail(*v, "version is for the kinds \"system\", \"com_server\", \"type_library\" and \"versioned\"");
      if (!ToAnsi(*v, version, base.Title)) return false;
    } else {
      // Shortcut names are UTF-8 in the record.
      base.Title = shortcut_name;
    }
    if (!ComponentFields(*t, base)) return false;

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
    FileRecord probe = base;
    probe.Destination = placement.form == Placement::kFolderDest || placement.form == Placement::kTargetDest
                            ? placement.path
                            : std::string();
    if (UsesSharedFolder(probe) && !(settings_->OptionFlags & kOptUninstaller))
      return Fail(t->get("dest") && !probe.Destination.empty() ? *t->get("dest") : node,
                  "the shared folder exists only with the option uninstaller; this file would have nowhere to go");

    if (folder_source) {
      std::vector<fs::path> found, ancestors;
      if (!WalkFolder(*t->get("source"), src, fs::path(), ancestors, found)) return false;
      for (const fs::path& f : found) {
        if (!AddFile(*t, src / f, f, placement, base, attributes_given, files)) return false;
      }
    } else {
      if (!AddFile(*t, src, src.filename(), placement, base, attributes_given, files)) return false;
    }
  }

  // Two records for one target would overwrite each other at install time.
  std::set<std::u16string> seen;
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
    // NTFS folds every UTF-16 unit to upper case; trailing dots and spaces were refused above.
    if (!seen.insert(NtfsUpcase(Cp1252ToUtf16(target))).second)
      return Fail(*entry_of_file_[i], "two sources install the same file " + target);
  }
  return true;
}

}  // namespace compile

uint64_t FileTimeOf(const fs::path& path) {
  std::error_code ec;
  auto ftime = fs::last_write_time(path, ec);
  if (ec) return 0;
  auto sys = std::chrono::file_clock::to_sys(ftime);
  auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count() / 100;
  int64_t value = ticks + kSecondsFrom1601To1970 * 10000000LL;
  return value > 0 ? static_cast<uint64_t>(value) : 0;
}

}  // namespace ks::builder
