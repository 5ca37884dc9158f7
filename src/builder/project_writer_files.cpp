// The payload back as [[files]] entries: each record's content written beside
// the project under a name and a dest that place it where the record does.
#include <algorithm>
#include <cctype>
#include <chrono>

#include "build_time.h"
#include "portable/payload.h"
#include "portable/text.h"
#include "project_compiler.h"
#include "project_writer_parts.h"
#include "version_resource.h"

namespace ks::builder::write {

namespace {

// A name this system can hold as one file or folder name.
bool HostName(std::string_view part) {
  return !part.empty() && part != "." && part != ".." &&
         part.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

constexpr uint32_t kArchiveAttribute = 0x20;  // FILE_ATTRIBUTE_ARCHIVE

// Kinds whose Title is the file version the engine compares.
bool ComparesVersions(uint32_t kind) { return kind >= kKindSystem && kind <= kKindVersioned; }

}  // namespace

bool Writer::AddFile(const FileRecord& r, std::span<const uint8_t> content) {
  const size_t index = records_.size();
  std::string name;
  if (!Ansi("files[" + std::to_string(index) + "].FileName", r.FileName, name)) return false;
  const std::string field = "files[" + std::to_string(index) + "] (" + name + ")";
  std::string destination;
  if (!Ansi(field + ".Destination", r.Destination, destination)) return false;

  // Where the content goes, and the dest that places it as the record does:
  // no Destination: FileName below the kind's folder (dest = FileName);
  // a Destination ending in "\": a folder source holding FileName's folders;
  // another Destination: the whole target (dest = Destination).
  std::vector<std::string> parts = compile::Components(name);
  std::string dest, folder;
  bool folder_source = false;
  if (destination.empty()) {
    folder = (r.FileFlags & kFileInUninstallDir) ? "uninstall" : r.Kind == kKindShared ? "shared" : "files";
    dest = name;
  } else if (destination.back() == '\\') {
    std::string sub = parts.size() > 1 ? name.substr(0, name.rfind('\\') + 1) : "";
    if (!destination.ends_with(sub) || destination.size() == sub.size())
      return Fail(field + ".Destination", "does not end with the folders of the file's name, as a project places it");
    dest = destination.substr(0, destination.size() - sub.size());
    // A name with folders comes from a folder source, which adds them to the dest.
    folder_source = parts.size() > 1;
    folder = folder_source ? "folders/" + std::to_string(index) : "other";
  } else {
    dest = destination;
    parts = {parts.back()};
    folder = "other";
  }
  for (const std::string& part : parts)
    if (!HostName(part)) return Fail(field + ".FileName", "\"" + part + "\" cannot be a file name here");

  // A free path: the same name from another folder of the installer goes to "files-2" and so on.
  std::string relative;
  for (int n = 1;; ++n) {
    std::string base = folder_source || n == 1 ? folder : folder + "-" + std::to_string(n);
    relative = base;
    for (const std::string& part : parts) relative += "/" + part;
    if (taken_.insert(Lower(relative)).second) break;
  }
  std::string_view bytes(reinterpret_cast<const char*>(content.data()), content.size());
  if (!DataFile(field, relative, bytes)) return false;
  fs::path path = stage_ / fs::path(std::u8string(relative.begin(), relative.end()));

  // One time for all three, as a build gives; the file carries it for file_times = "sources".
  const FileTimes& t = r.FileTime;
  if (t.creation != t.last_write || t.last_access != t.last_write)
    return Fail(field + ".FileTime", "creation, access and write times differ; a build gives all three alike");
  if (records_.empty()) first_time_ = t.last_write;
  one_time_ = one_time_ && t.last_write == first_time_;
  const int64_t ticks = int64_t(t.last_write) - kSecondsFrom1601To1970 * 10000000LL;
  std::chrono::sys_time<std::chrono::nanoseconds> when{std::chrono::nanoseconds(ticks * 100)};
  std::error_code ec;
  fs::last_write_time(path, std::chrono::file_clock::from_sys(when), ec);

  // The keys after source and dest; alike in a run of files from one folder.
  FileEntry entry;
  entry.source = folder_source ? folder : relative;
  entry.dest = dest;
  // A single file keeps its own name without a dest; every other placement says where.
  entry.plain = !folder_source && destination.empty() && parts.size() == 1;
  entry.in_folder = destination.empty() && relative.starts_with(folder + "/");
  entry.folder = folder;
  entry.parts = parts;
  TomlText o;
  std::string_view kind;
  if (!Named(field + ".Kind", FileKindNames(), r.Kind, kind)) return false;
  if (r.Kind != kKindFile) o.String("kind", kind);
  const uint32_t overwrite = r.FileFlags & kFileOverwriteMask;
  std::string_view overwrite_name;
  if (!Named(field + ".FileFlags", OverwriteNames(), overwrite, overwrite_name)) return false;
  if (overwrite) o.String("overwrite", overwrite_name);
  if (r.FileFlags & kFilePermanent) o.Bool("permanent", true, "left behind by the uninstaller");
  if (r.FileFlags & kFileInUninstallDir) o.Bool("into_uninstall_folder", true);
  if (r.FileFlags & kFileDesktopShortcut) o.Bool("desktop_shortcut", true);
  if (r.FileFlags & kFileStartMenuShortcut) o.Bool("start_menu_shortcut", true);
  if (r.Attributes == kKeepAttributes) {
    o.Bool("keep_attributes", true);
  } else if (r.Attributes != kArchiveAttribute) {  // a build's default for a writable file
    uint32_t unnamed = 0;
    std::string list;
    for (std::string_view n : NamesOfBits(AttributeNames(), r.Attributes, unnamed))
      list += (list.empty() ? "" : ", ") + TomlString(n);
    if (unnamed) return Fail(field + ".Attributes", "bits " + std::to_string(unnamed) + " have no name");
    o.Key("attributes", "[" + list + "]");
  }
  // Title: the version compared, a component's name, or the shortcut's name.
  std::string title;
  switch (r.Kind) {
    case kKindFont:
      if (!Utf8(field + ".Title", r.Title)) return false;
      o.String("font_face", r.Title);
      break;
    case kKindApplet:
      if (!Utf8(field + ".Title", r.Title)) return false;
      if (!r.Title.empty()) o.String("applet_name", r.Title);
      break;
    case kKindMsiPackage: {
      std::string_view level;
      if (!Named(field + ".MsiUiLevel", MsiUiLevelNames(), r.MsiUiLevel, level)) return false;
      o.String("msi_ui_level", level);
      if (r.FileFlags & kFileRecordPackage) o.Bool("uninstall_with_product", true);
      break;
    }
    default:
      if (ComparesVersions(r.Kind)) {
        // A build reads the version from the file itself when none is given.
        if (r.Title == FixedFileVersion(content)) break;
        if (!Ansi(field + ".Title", r.Title, title)) return false;
        o.String("version", title, "compared with the installed file's");
      } else if (!r.Title.empty()) {
        if (!Utf8(field + ".Title", r.Title)) return false;
        o.String("shortcut_name", r.Title);
      }
  }
  std::string text;
  const std::pair<std::string_view, const std::string*> kShortcutFields[] = {
      {"arguments", &r.Arguments}, {"working_folder", &r.WorkingFolder}, {"icon", &r.IconFile}};
  for (const auto& [key, value] : kShortcutFields) {
    if (value->empty()) continue;
    if (!Ansi(field + "." + std::string(key), *value, text)) return false;
    o.String(key, text);
  }
  entry.keys = o.Text();
  entries_.push_back(std::move(entry));
  records_.push_back(r);
  sources_.push_back(path);
  return true;
}

std::string Writer::FilesText() const {
  TomlText o;
  for (size_t i = 0; i < entries_.size();) {
    // A run of files alike that is all of one folder, in the order a build walks it,
    // comes back as that folder.
    const FileEntry& first = entries_[i];
    size_t end = i + 1;
    while (end < entries_.size() && entries_[end].in_folder && entries_[end].folder == first.folder &&
           entries_[end].keys == first.keys && entries_[end - 1].parts < entries_[end].parts)
      ++end;
    const size_t in_folder = std::count_if(entries_.begin(), entries_.end(), [&](const FileEntry& e) {
      return e.in_folder && e.folder == first.folder;
    });
    const bool whole_folder = first.in_folder && end - i == in_folder && in_folder > 1;
    o.Table("[[files]]");
    if (whole_folder) {
      o.String("source", first.folder);
      o.Raw(first.keys);
      i = end;
      continue;
    }
    o.String("source", first.source);
    if (!first.plain) o.String("dest", first.dest);
    o.Raw(first.keys);
    ++i;
  }
  return o.Text();
}

}  // namespace ks::builder::write
