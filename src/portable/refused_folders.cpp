// NormalizedFolder, IsDriveRoot and IsRefusedFolder.
#include "portable/refused_folders.h"

#include "portable/text.h"

namespace ks {
namespace {

bool IsDriveSpec(std::u16string_view s) {
  return s.size() == 2 && s[1] == u':' && ((s[0] >= u'A' && s[0] <= u'Z') || (s[0] >= u'a' && s[0] <= u'z'));
}

}  // namespace

std::u16string NormalizedFolder(std::u16string_view path) {
  std::u16string text(path);
  for (char16_t& c : text)
    if (c == u'/') c = u'\\';
  std::u16string_view rest = text;
  std::u16string head;  // "X:" or "\\server\share": never climbed out of
  if (StartsWithNoCase(rest, u"\\\\?\\UNC\\") || StartsWithNoCase(rest, u"\\\\.\\UNC\\")) {
    rest.remove_prefix(8);
    head = u"\\\\";
  } else if (StartsWithNoCase(rest, u"\\\\?\\") || StartsWithNoCase(rest, u"\\\\.\\")) {
    rest.remove_prefix(4);
  } else if (rest.substr(0, 2) == u"\\\\") {
    rest.remove_prefix(2);
    head = u"\\\\";
  }

  std::vector<std::u16string_view> parts;
  size_t fixed = 0;  // components that belong to the drive or share
  while (!rest.empty()) {
    size_t slash = rest.find(u'\\');
    std::u16string_view part = rest.substr(0, slash);
    rest = slash == std::u16string_view::npos ? std::u16string_view() : rest.substr(slash + 1);
    if (part.empty() || part == u".") continue;
    if (part == u"..") {
      if (parts.size() > fixed) parts.pop_back();
      continue;
    }
    parts.push_back(part);
    if (parts.size() == 1 && head.empty() && IsDriveSpec(part)) fixed = 1;
    if (!head.empty() && parts.size() <= 2) fixed = parts.size();
  }
  std::u16string out = head;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += u'\\';
    out += parts[i];
  }
  if (IsDriveSpec(out)) out[0] = char16_t(out[0] >= u'a' ? out[0] - u'a' + u'A' : out[0]);
  return out;
}

bool IsDriveRoot(std::u16string_view path) {
  std::u16string n = NormalizedFolder(path);
  if (n.empty() || IsDriveSpec(n) || n == u"\\\\") return true;
  if (n.substr(0, 2) != u"\\\\") return false;
  // "\\server" or "\\server\share" and nothing below.
  size_t first = n.find(u'\\', 2);
  return first == std::u16string::npos || n.find(u'\\', first + 1) == std::u16string::npos;
}

bool IsRefusedFolder(std::u16string_view path, const std::vector<std::u16string>& protected_folders) {
  if (IsDriveRoot(path)) return true;
  std::u16string folder = NormalizedFolder(path);
  for (const std::u16string& p : protected_folders) {
    std::u16string kept = NormalizedFolder(p);
    if (kept.empty()) continue;
    if (EqualsNoCase(kept, folder)) return true;
    if (kept.size() > folder.size() && kept[folder.size()] == u'\\' &&
        EqualsNoCase(std::u16string_view(kept).substr(0, folder.size()), folder))
      return true;
  }
  return false;
}

}  // namespace ks
