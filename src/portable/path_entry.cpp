// PathEntryFolder and EditPathValue.
#include "portable/path_entry.h"

#include "portable/path_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

std::u16string_view WithoutTrailingBackslash(std::u16string_view entry) {
  while (entry.size() > 1 && (entry.back() == u'\\' || entry.back() == u'/')) entry.remove_suffix(1);
  return entry;
}

bool SameEntry(std::u16string_view entry, std::u16string_view folder) {
  return EqualsNoCase(WithoutTrailingBackslash(entry), WithoutTrailingBackslash(folder));
}

}  // namespace

std::u16string PathEntryFolder(std::u16string_view install_dir, std::u16string_view subfolder) {
  if (subfolder.empty()) return std::u16string(install_dir);
  if (IsAbsolutePath(subfolder)) return std::u16string(subfolder);
  return JoinPath(install_dir, subfolder);
}

std::optional<std::u16string> EditPathValue(std::u16string_view value, std::u16string_view folder, bool add) {
  if (value.empty() || folder.empty()) return std::nullopt;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(u';', start);
    if (end == std::u16string_view::npos) end = value.size();
    if (SameEntry(value.substr(start, end - start), folder)) {
      if (add) return std::nullopt;
      std::u16string result(value);
      if (end < value.size()) {
        result.erase(start, end + 1 - start);  // the entry and the ";" after it
      } else {
        size_t from = start ? start - 1 : 0;   // the last entry and the ";" before it
        result.erase(from);
      }
      return result;
    }
    start = end + 1;
  }
  if (!add) return std::nullopt;
  std::u16string result(value);
  if (result.back() != u';') result += u';';
  result += folder;
  return result;
}

}  // namespace ks
