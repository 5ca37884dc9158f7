// Replacement at the next restart without the system: which pending rename
// pairs survive a fresh installation, the value's multi-string form, and the
// "[rename]" section of wininit.ini.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ks {

// One PendingFileRenameOperations pair; an empty destination deletes the source.
struct RenamePair {
  std::u16string source, destination;
  bool operator==(const RenamePair&) const = default;
};

// Lower-case destination paths of the files written in place.
using WrittenSet = std::unordered_set<std::u16string>;

// The lower case used for the written-files set and the pending pairs alike
// (Latin, Greek and Cyrillic letters; everything else unchanged).
std::u16string FoldPathCase(std::u16string_view path);
// Drops the leading "\", "?" and "!" characters of "\??\" and "!\??\".
std::u16string_view StripObjectPrefix(std::u16string_view path);

// REG_MULTI_SZ data (as UTF-16 units, terminators included) to its strings.
// Empty strings inside the list are kept: a pending deletion has one.
std::vector<std::u16string> SplitMultiString(std::u16string_view data);
// Strings to REG_MULTI_SZ data: each string and its zero, then the final zero.
std::u16string JoinMultiString(const std::vector<std::u16string>& strings);
// Pairs in order; an odd count gets an empty destination for the last source.
std::vector<RenamePair> PairStrings(const std::vector<std::u16string>& strings);
std::vector<std::u16string> FlattenPairs(const std::vector<RenamePair>& pairs);

struct PendingCleanup {
  std::vector<RenamePair> kept;
  std::vector<std::u16string> delete_sources;  // waiting copies of removed moves
  bool changed = false;
};
using PendingLog = std::function<void(std::string_view utf8)>;

// Removes the pairs that would overwrite or delete a file just written, and
// pending deletions without a source.
PendingCleanup KeepPendingRenames(const std::vector<RenamePair>& pairs, const WrittenSet& written,
                                  const PendingLog& log);

// wininit.ini text with "destination=source" added as the first line of its
// "[rename]" section (a section is appended when there is none).
std::string InsertWininitRename(std::string text, std::string_view destination, std::string_view source);

}  // namespace ks
