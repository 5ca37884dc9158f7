// Path rules of the file layer: which names are valid, what is absolute, how a
// relative path is resolved against a base folder. 8-bit and UTF-16 alike.
#pragma once
#include <string>
#include <string_view>

namespace ks {

// IsValidPath flags: the low two bits choose the forbidden-character mode
// (bit 0 allows '*', bit 1 allows '?'; ':' is always forbidden then).
enum : unsigned {
  kPathAllowStar = 0x1,
  kPathAllowQuestion = 0x2,
  kPathTrim = 0x4,
  kPathAllowTrailingSlash = 0x80,
};

// The characters a name may not hold in `mode` (0..3).
std::u16string_view ForbiddenChars(unsigned mode);

// "X:" at the start, X an ASCII letter.
bool HasDriveLetter(std::u16string_view path);
bool HasDriveLetter(std::string_view path);
bool IsAbsolutePath(std::u16string_view path);
bool IsAbsolutePath(std::string_view path);
bool IsValidPath(std::u16string_view path, unsigned flags);
bool IsValidPath(std::string_view path, unsigned flags);
// One path component: not empty, none of the mode-0 characters, not "." or "..".
bool IsValidFileName(std::u16string_view name);

// Makes `path` absolute against `base`; true when the path was changed.
// Flag bit 0 lets a base that is not absolute pass.
bool ResolvePath(std::u16string& path, std::u16string_view base, unsigned flags = 0);

// A payload file name stays inside the folder it is joined to: not empty, no
// ':' (drive letters, streams), not rooted ("\x", "\\server", "/x"), and no
// component ("\" and "/" both separate) made only of dots and spaces, which
// the system reads as "." or "..".
bool IsContainedRelativePath(std::u16string_view name);

// Where a destination that expanded to a path without a drive goes: a
// relative or rooted ("\x") path is placed below `base`, "." and ".."
// taken into account, a trailing backslash kept; an absolute path stays as
// it is. Empty when it cannot be placed: `base` is not absolute, the path is
// drive-relative ("D:x"), or ".." climbs out of `base`.
std::u16string PlaceBelow(std::u16string_view path, std::u16string_view base);

// Joins a folder and a relative name with exactly one backslash.
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);

}  // namespace ks
