// The rules of the payload phase that need no system: where a record's file
// goes, whether an existing file is replaced (with its log line), and the
// shared-list and fonts texts collected for later phases.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "payload.h"

namespace ks {

// A record that needs a default folder but has a kind without one.
constexpr int kErrKindWithoutFolder = 110;

// The FileName that shows the fixed progress message instead of its path.
inline constexpr std::string_view kHiddenProgressName = "b/0@+";

// Shared-list markers after the destination path.
constexpr char16_t kSharedKeepMarker = u' ';
constexpr char16_t kSharedComMarker = u'^';
constexpr char16_t kSharedTypeLibraryMarker = u'\u00A9';

// Kinds whose files (and their folders) go into the uninstall data.
bool RecordedForRemoval(uint32_t kind);
// Kinds 1, 4 and 6 to 9: the only ones for which the write routine knows
// whether the file existed before.
bool KnowsExistingFile(uint32_t kind);
// Empty or only spaces, CR, LF and tabs.
bool IsBlankText(std::string_view text);
// What follows the last backslash (the whole text when there is none).
std::u16string LastPathComponent(std::u16string_view path);

struct DestinationFolders {
  std::u16string install, shared, uninstall, fonts, system;
};

struct DestinationRequest {
  uint32_t Kind = kKindFile;
  uint32_t FileFlags = 0;
  std::u16string file_name;    // FileName as UTF-16
  std::u16string destination;  // Destination as UTF-16
  // Kind 1 on a removable install drive with SharedPathOnRemovable set.
  bool ignore_shared_destination = false;
};

struct ResolvedDestination {
  int error = 0;  // kErrKindWithoutFolder
  std::u16string path;
  bool create_folder = false;
  // The Destination expanded to a path without a drive that does not lead
  // into its folder: nothing is written; `path` is the expanded text and
  // `base` the folder it had to stay in.
  bool refused = false;
  std::u16string base;
};

// FileName after a Destination without a backslash has renamed the file.
std::string_view EffectiveFileName(const FileRecord& record);

using ExpandText = std::function<std::u16string(std::u16string)>;

// Kind 1 goes to the shared folder, or to the install folder when there is
// none: never to a path without a drive.
ResolvedDestination ResolveDestination(const DestinationRequest& request, const DestinationFolders& folders,
                                       const ExpandText& expand);

// The log line and the failure paragraph (message 31 first) of a refused
// destination.
std::string RefusedDestinationLog(const ResolvedDestination& where, std::u16string_view file_name);
std::u16string RefusedDestinationFailure(const ResolvedDestination& where, std::u16string_view message31);

// The shared-list entry of a kind 1, 6, 7 or 8 file; empty for other kinds.
std::u16string SharedListEntry(std::u16string_view destination, uint32_t kind, uint32_t file_flags);
// Appends "\"title\" \"file\" " to the fonts text.
void AppendFontPair(std::string& fonts_text, std::string_view title, std::string_view file_name);

// What is known of the file at the destination before writing.
struct ExistingFile {
  bool exists = false;
  uint64_t last_write = 0;  // FILETIME; 0 when it could not be read
  std::string version;      // from its version resource; empty when none
};

struct OverwriteDecision {
  bool write = false;
  // The existing file stays and still belongs to the product.
  bool record_existing = false;
  std::string log;  // UTF-8, destination first; empty for no line
};

// FILETIME -> the DateTime text of the log lines.
using DateText = std::function<std::string(uint64_t filetime)>;

// Whether the decision looks at the existing file at all, and at its version.
bool NeedsExistingFile(const FileRecord& record);
bool NeedsExistingVersion(const FileRecord& record);

OverwriteDecision DecideOverwrite(const FileRecord& record, const ExistingFile& existing,
                                  std::string_view destination_utf8, const DateText& date_text);

}  // namespace ks
