// Path rules of the file layer.
#include "path_rules.h"

#include <vector>

#include "text.h"

namespace ks {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\r' || c == u'\n' || c == u'\t'; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

template <typename View>
bool StartsWithDrive(View path) {
  return path.size() >= 2 && path[1] == ':' && IsLetter(char16_t(path[0]));
}

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// 8-bit paths starting with "|" carry UTF-8; the others are ANSI.
std::u16string From8(std::string_view path) {
  if (!path.empty() && path[0] == '|') return Utf8ToUtf16(path.substr(1));
  return SystemCodePage().ToWide(path);
}

}  // namespace

std::u16string_view ForbiddenChars(unsigned mode) {
  static constexpr std::u16string_view kSets[4] = {u"/\"<>|*?;", u"/\"<>|?:;", u"/\"<>|*:;", u"/\"<>|:;"};
  return kSets[mode & 3];
}

bool HasDriveLetter(std::u16string_view path) { return StartsWithDrive(path); }
bool HasDriveLetter(std::string_view path) { return StartsWithDrive(path); }

bool IsAbsolutePath(std::u16string_view p) {
  if (!p.empty() && p[0] == u'|') p.remove_prefix(1);
  if (p.size() >= 2 && p[0] == u'\\' && p[1] == u'\\') return true;
  return p.size() >= 3 && HasDriveLetter(p) && p[2] == u'\\';
}

bool IsAbsolutePath(std::string_view path) { return IsAbsolutePath(From8(path)); }

bool IsValidPath(std::u16string_view p, unsigned flags) {
  if (flags & kPathTrim) {
    p = Trim(p);
  } else if (!p.empty() && (IsBlank(p.front()) || IsBlank(p.back()))) {
    return false;
  }
  if (p.empty()) return false;
  if (!(flags & kPathAllowTrailingSlash) && p.back() == u'\\') return false;
  if (p.size() >= 2 && p.front() == u'"' && p.back() == u'"') p = p.substr(1, p.size() - 2);
  bool had_drive = false;
  if (p.size() >= 2 && p[1] == u':') {
    if (!IsLetter(p[0])) return false;
    p.remove_prefix(2);
    had_drive = true;
  }
  std::u16string_view forbidden = ForbiddenChars(flags & 3);
  for (size_t i = 0; i < p.size(); ++i) {
    char16_t c = p[i];
    if (c == u':' || forbidden.find(c) != std::u16string_view::npos) return false;
    // Only a UNC path may open with two backslashes.
    if (c == u'\\' && i > 0 && p[i - 1] == u'\\' && (i != 1 || had_drive)) return false;
  }
  return true;
}

bool IsValidPath(std::string_view path, unsigned flags) { return IsValidPath(From8(path), flags); }

bool IsValidFileName(std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  std::u16string_view forbidden = ForbiddenChars(0);
  for (char16_t c : name)
    if (c == u'\\' || c == u':' || forbidden.find(c) != std::u16string_view::npos) return false;
  return true;
}

bool ResolvePath(std::u16string& path_io, std::u16string_view base_in, unsigned flags) {
  std::u16string path(Trim(path_io));
  std::u16string base(Trim(base_in));
  if (path.empty() || base.empty()) return false;
  if (!(flags & 1) && base[0] != u'\\' && !IsAbsolutePath(base)) return false;
  if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') return false;

  auto drive_length = [](const std::u16string& b) -> size_t {
    return HasDriveLetter(b) ? 2 : 0;
  };
  // "..\" climbs while the base still has a component to give up.
  while (path.size() >= 3 && path.compare(0, 3, u"..\\") == 0) {
    std::u16string trimmed = base;
    while (!trimmed.empty() && trimmed.back() == u'\\') trimmed.pop_back();
    size_t slash = trimmed.rfind(u'\\');
    if (slash == std::u16string::npos || slash + 1 >= trimmed.size() || slash < drive_length(trimmed)) break;
    if (slash == 1 && trimmed[0] == u'\\') break;  // "\\server" has nothing left to drop
    base = trimmed.substr(0, slash == drive_length(trimmed) ? slash + 1 : slash);
    path.erase(0, 3);
  }

  bool changed = false;
  if (path[0] == u'\\') {
    if (size_t d = drive_length(base)) { path = base.substr(0, d) + path; changed = true; }
  } else if (path.size() < 2 || path[1] != u':') {
    path = JoinPath(base, path);
    changed = true;
  } else if (path.size() == 2 || path[2] != u'\\') {
    std::u16string folder = base.substr(drive_length(base));
    while (!folder.empty() && folder.back() == u'\\') folder.pop_back();
    path = path.substr(0, 2) + folder + u"\\" + path.substr(2);
    changed = true;
  }
  path_io = path;
  return changed;
}

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// "", ".", "..", "...", ". ." and the like.
bool IsDotsOnly(std::u16string_view part) {
  return part.find_first_not_of(u". ") == std::u16string_view::npos;
}

}  // namespace

bool IsContainedRelativePath(std::u16string_view name) {
  if (name.empty() || IsSeparator(name.front())) return false;
  if (name.find(u':') != std::u16string_view::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    std::u16string_view part = name.substr(start, end - start);
    // An empty component ("a\\b") joins as one separator.
    if (!part.empty() && IsDotsOnly(part)) return false;
    start = end + 1;
  }
  return true;
}

std::u16string PlaceBelow(std::u16string_view path_in, std::u16string_view base_in) {
  std::u16string_view path = Trim(path_in);
  if (IsAbsolutePath(path)) return std::u16string(path);
  std::u16string base(Trim(base_in));
  if (!IsAbsolutePath(base)) return {};
  if (path.size() >= 2 && path[1] == u':') return {};
  const bool folder = !path.empty() && IsSeparator(path.back());
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::u16string_view part = path.substr(start, end - start);
    if (part == u"..") {
      if (parts.empty()) return {};
      parts.pop_back();
    } else if (!part.empty() && IsDotsOnly(part) && part != u".") {
      return {};  // "..." or ". .": what the system makes of it is not worth guessing
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  while (base.size() > 3 && base.back() == u'\\') base.pop_back();
  std::u16string out = base;
  for (std::u16string_view part : parts) out = JoinPath(out, part);
  if (folder && (out.empty() || out.back() != u'\\')) out.push_back(u'\\');
  return out;
}

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
  std::u16string out(folder);
  if (!out.empty() && out.back() != u'\\') out.push_back(u'\\');
  while (!name.empty() && name.front() == u'\\') name.remove_prefix(1);
  out += name;
  return out;
}

}  // namespace ks
