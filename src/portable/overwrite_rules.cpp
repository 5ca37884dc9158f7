// Destination, overwrite decision and collected texts of payload files.
#include "overwrite_rules.h"

#include "path_rules.h"
#include "text.h"
#include "version.h"

namespace ks {
namespace {

// File times are compared as the log shows them, to the second: a copy on a
// file system with coarser times must not look older than its source.
uint64_t Seconds(uint64_t filetime) { return filetime / 10000000u; }

bool HasTrailingBackslash(std::u16string_view s) { return !s.empty() && s.back() == u'\\'; }

}  // namespace

bool RecordedForRemoval(uint32_t kind) {
  return kind == kKindFile || kind == kKindStartup || (kind >= kKindVersioned && kind <= kKindApplet);
}

bool KnowsExistingFile(uint32_t kind) {
  return kind == kKindShared || kind == kKindFont || (kind >= kKindSystem && kind <= kKindVersioned);
}

bool IsBlankText(std::string_view text) {
  return text.find_first_not_of(" \r\n\t") == std::string_view::npos;
}

std::u16string LastPathComponent(std::u16string_view path) {
  size_t slash = path.rfind(u'\\');
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

std::string_view EffectiveFileName(const FileRecord& record) {
  if (!record.Destination.empty() && record.Destination.find('\\') == std::string::npos) return record.Destination;
  return record.FileName;
}

ResolvedDestination ResolveDestination(const DestinationRequest& request, const DestinationFolders& folders,
                                       const ExpandText& expand) {
  ResolvedDestination out;
  std::u16string file_name = request.file_name;
  std::u16string destination = request.destination;
  // A bare name renames the file inside the kind's folder.
  if (!destination.empty() && destination.find(u'\\') == std::u16string::npos) {
    file_name = destination;
    destination.clear();
  }
  if (request.Kind == kKindShared && request.ignore_shared_destination) destination.clear();
  // Without a shared folder (no uninstaller) shared files stay with the product.
  const std::u16string& shared = folders.shared.empty() ? folders.install : folders.shared;

  if (!destination.empty()) {
    if (expand) destination = expand(std::move(destination));
    if (destination.size() >= 2 && destination.compare(destination.size() - 2, 2, u"\\\\") == 0) {
      destination.resize(destination.size() - 2);
      destination.push_back(u'\\');
    }
    // A variable that expanded to nothing leaves "\\name" or a bare name:
    // that goes below the folder, never to a drive root or the current folder.
    const std::u16string& base = request.Kind == kKindShared ? shared : folders.install;
    std::u16string placed = PlaceBelow(destination, base);
    if (placed.empty()) {
      out.refused = true;
      out.path = std::move(destination);
      out.base = base;
      return out;
    }
    if (HasTrailingBackslash(placed)) placed += LastPathComponent(file_name);
    out.path = std::move(placed);
    out.create_folder = true;
    return out;
  }
  if (request.FileFlags & kFileInUninstallDir) {
    out.path = JoinPath(folders.uninstall, file_name);
    return out;
  }
  const std::u16string* folder = nullptr;
  switch (request.Kind) {
    case kKindFile:
    case kKindStartup:
    case kKindVersioned:
    case kKindDriverInf:
    case kKindMsiPackage:
    case kKindApplet:
      folder = &folders.install;
      out.create_folder = true;
      break;
    case kKindShared: folder = &shared; break;
    case kKindFont: folder = &folders.fonts; break;
    case kKindSystem:
    case kKindComServer:
    case kKindTypeLibrary: folder = &folders.system; break;
    default:
      out.error = kErrKindWithoutFolder;
      return out;
  }
  out.path = JoinPath(*folder, file_name);
  return out;
}

std::string RefusedDestinationLog(const ResolvedDestination& where, std::u16string_view file_name) {
  return Utf16ToUtf8(file_name) + " was not installed because its destination \"" + Utf16ToUtf8(where.path) +
         "\" is not a full path and does not lead into \"" + Utf16ToUtf8(where.base) + "\".\r\n";
}

std::u16string RefusedDestinationFailure(const ResolvedDestination& where, std::u16string_view message31) {
  return std::u16string(message31) + u" " + where.path + u"\r\nThe destination is not a full path and does not lead into \"" +
         where.base + u"\".\r\n\r\n";
}

std::u16string SharedListEntry(std::u16string_view destination, uint32_t kind, uint32_t file_flags) {
  const bool keep = file_flags & kFilePermanent;
  std::u16string entry(destination);
  switch (kind) {
    case kKindShared:
      if (keep) entry.push_back(kSharedKeepMarker);
      return entry;
    case kKindSystem:
      entry.push_back(kSharedKeepMarker);
      return entry;
    case kKindComServer:
      entry.push_back(keep ? kSharedKeepMarker : kSharedComMarker);
      return entry;
    case kKindTypeLibrary:
      entry.push_back(keep ? kSharedKeepMarker : kSharedTypeLibraryMarker);
      return entry;
    default:
      return {};
  }
}

void AppendFontPair(std::string& fonts_text, std::string_view title, std::string_view file_name) {
  fonts_text += '"';
  fonts_text += title;
  fonts_text += "\" \"";
  fonts_text += file_name;
  fonts_text += "\" ";
}

bool NeedsExistingFile(const FileRecord& record) {
  const uint32_t mode = record.FileFlags & kFileOverwriteMask;
  if (mode == kFileOverwriteIfExists || mode == kFileOverwriteIfMissing || mode == kFileOverwriteUnlessNewer)
    return true;
  return mode != kFileOverwriteNever && KnowsExistingFile(record.Kind);
}

bool NeedsExistingVersion(const FileRecord& record) {
  return record.Kind >= kKindSystem && record.Kind <= kKindVersioned && !IsBlankText(record.Title);
}

OverwriteDecision DecideOverwrite(const FileRecord& record, const ExistingFile& existing,
                                  std::string_view destination_utf8, const DateText& date_text) {
  OverwriteDecision d;
  const uint32_t mode = record.FileFlags & kFileOverwriteMask;
  // A skipped file that the product would have owned still belongs to it.
  const bool keeps_record = !(record.FileFlags & kFilePermanent) && RecordedForRemoval(record.Kind);
  const bool new_time_set = record.FileTime.IsSet();
  const uint64_t new_time = Seconds(record.FileTime.last_write);
  const bool old_time_set = existing.exists && existing.last_write != 0;
  const uint64_t old_time = Seconds(existing.last_write);

  auto line = [&](std::string_view text) { return std::string(destination_utf8) + std::string(text); };
  auto skip = [&](std::string text, bool record_existing) {
    d.write = false;
    d.record_existing = record_existing;
    d.log = line(text);
    return d;
  };

  if (mode == kFileOverwriteNever) return d;
  if (mode == kFileOverwriteIfExists && !existing.exists)
    return skip(" was not installed because it does not already exist.\r\n", false);
  if (mode == kFileOverwriteIfMissing && existing.exists)
    return skip(" was not installed because it already exists.\r\n", keeps_record);
  if (mode == kFileOverwriteUnlessNewer && old_time_set && new_time_set && old_time > new_time)
    return skip(" was not installed because the existing file is newer.\r\n", keeps_record);

  d.write = true;
  bool up_to_date = false;
  std::string reason;
  switch (record.Kind) {
    case kKindShared:
    case kKindFont:
      if (!existing.exists) return d;
      up_to_date = new_time_set && old_time_set && old_time >= new_time;
      break;
    case kKindSystem:
    case kKindComServer:
    case kKindTypeLibrary:
    case kKindVersioned: {
      if (!existing.exists) return d;
      if (!IsBlankText(record.Title) && !IsBlankText(existing.version)) {
        if (CompareVersions(record.Title, existing.version) <= 0)
          return skip(" was not installed because its version (" + record.Title + ") is not newer than " +
                          existing.version + "\r\n",
                      keeps_record);
        reason = "its version (" + record.Title + ") is newer than " + existing.version;
      }
      if (old_time_set) {
        std::string new_text = date_text ? date_text(record.FileTime.last_write) : std::string();
        std::string old_text = date_text ? date_text(existing.last_write) : std::string();
        if (!(new_time > old_time))
          return skip(" was not installed because its date (" + new_text + ") is not newer than " + old_text + ".\r\n",
                      keeps_record);
        if (!reason.empty()) reason += " and ";
        reason += "its date (" + new_text + ") is newer than " + old_text;
      }
      break;
    }
    default:
      return d;
  }

  if (up_to_date) return skip(" is up to date.\r\n", false);
  d.log = reason.empty() ? line(" is out of date and will be replaced.\r\n")
                         : line(" needs replacement because " + reason + "\r\n");
  return d;
}

}  // namespace ks
