// The machine PATH entry rule: which folder the product puts on PATH, and the
// value that results from adding or removing it. The registry edge is elsewhere.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace ks {

// The folder for PATH: the install folder when `subfolder` is empty, the
// sub-folder itself when it is absolute, else the two joined.
std::u16string PathEntryFolder(std::u16string_view install_dir, std::u16string_view subfolder);

// The new PATH value after adding (`add`) or removing `folder`, or nothing
// when the value stays as it is. Entries are the ";"-separated parts compared
// whole, ignoring case and a trailing backslash. An empty value is left alone.
// Adding appends the folder (after a ";" when needed) unless an entry matches;
// removing drops the first matching entry with one of its separators.
std::optional<std::u16string> EditPathValue(std::u16string_view value, std::u16string_view folder, bool add);

}  // namespace ks
