// The pure rules of the shortcut phase.
#include "portable/shortcut_rules.h"

#include <vector>

#include "portable/text.h"

namespace ks {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view TrimBlanks(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A leading quoted part: its text without the quotes, and what follows the
// closing quote. False when the text does not start with a closed quote.
bool LeadingQuoted(std::u16string_view text, std::u16string& inside, std::u16string_view& rest) {
  if (text.empty() || text.front() != u'"') return false;
  size_t close = text.find(u'"', 1);
  if (close == std::u16string_view::npos) return false;
  inside.assign(text.substr(1, close - 1));
  rest = text.substr(close + 1);
  return true;
}

// The settings' path texts: "|" + UTF-8, else the system code page.
std::u16string PathText(std::string_view path) {
  if (!path.empty() && path.front() == '|') return Utf8ToUtf16(path.substr(1));
  return SystemCodePage().ToWide(path);
}

}  // namespace

std::u16string LinkFileName(std::u16string_view path) {
  std::u16string out(path);
  if (path.size() < 4 || !EqualsNoCase(path.substr(path.size() - 4), u".lnk")) out += u".LNK";
  return out;
}

std::u16string TrimWorkingFolder(std::u16string_view folder) {
  std::u16string_view s = folder;
  while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
  while (!s.empty() && s.back() == u'\\') s.remove_suffix(1);
  std::u16string out(s);
  if (out.size() == 2 && out[1] == u':') out += u'\\';
  return out;
}

unsigned ShortcutFlags(int shortcut_mode, uint8_t window_state) {
  unsigned flags = shortcut_mode == 1 ? unsigned(kShortcutAllUsers) : 0u;
  if (window_state == 1) flags |= kShortcutMinimized;
  if (window_state == 2) flags |= kShortcutMaximized;
  return flags;
}

int ShowCommandFor(unsigned flags) {
  if (flags & kShortcutMinimized) return kShowMinNoActive;
  if (flags & kShortcutMaximized) return kShowMaximized;
  return 0;
}

bool SplitTildeArguments(std::u16string_view arguments, ProgramSplit& out) {
  if (arguments.size() < 2 || arguments[0] != u'~' || arguments[1] != u'"') return false;
  std::u16string target;
  std::u16string_view rest;
  if (!LeadingQuoted(arguments.substr(1), target, rest)) return false;
  out.program = CanonicalPath(target);
  out.arguments.assign(TrimBlanks(rest));
  return true;
}

ProgramSplit SplitRootTarget(std::u16string_view text) {
  ProgramSplit out;
  std::u16string_view rest;
  if (!LeadingQuoted(text, out.program, rest)) {
    size_t blank = text.find(u' ');
    if (blank == std::u16string_view::npos) blank = text.size();
    out.program.assign(text.substr(0, blank));
    rest = text.substr(blank);
  }
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  out.arguments.assign(rest);
  return out;
}

ProgramSplit SplitPinTarget(std::u16string_view text) {
  ProgramSplit out;
  std::u16string_view rest;
  if (LeadingQuoted(text, out.program, rest)) {
    out.arguments.assign(TrimBlanks(rest));
  } else {
    out.program.assign(text);
  }
  return out;
}

std::u16string CanonicalPath(std::u16string_view path) {
  // The root ("C:\", "\\server\share\" or "\") is kept as it stands.
  size_t root = 0;
  if (path.size() >= 2 && path[1] == u':') {
    root = path.size() >= 3 && path[2] == u'\\' ? 3 : 2;
  } else if (path.substr(0, 2) == u"\\\\") {
    size_t server = path.find(u'\\', 2);
    size_t share = server == std::u16string_view::npos ? server : path.find(u'\\', server + 1);
    root = share == std::u16string_view::npos ? path.size() : share + 1;
  } else if (!path.empty() && path[0] == u'\\') {
    root = 1;
  }
  std::vector<std::u16string_view> parts;
  std::u16string_view rest = path.substr(root);
  bool trailing = !rest.empty() && rest.back() == u'\\';
  while (!rest.empty()) {
    size_t slash = rest.find(u'\\');
    std::u16string_view part = rest.substr(0, slash);
    rest = slash == std::u16string_view::npos ? std::u16string_view() : rest.substr(slash + 1);
    if (part.empty() || part == u".") continue;
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::u16string out(path.substr(0, root));
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += u'\\';
    out += parts[i];
  }
  if (trailing && !parts.empty()) out += u'\\';
  return out;
}

ShortcutRecord RecordFromEntry(const ShortcutEntry& e) {
  ShortcutRecord r;
  r.Target = PathText(e.Target);
  r.Name = Utf8ToUtf16(e.Name);
  r.Icon = PathText(e.Icon);
  r.Arguments = e.Arguments;
  r.WorkingFolder = PathText(e.WorkingFolder);
  r.OnDesktop = e.OnDesktop != 0;
  r.InStartMenu = e.InStartMenu != 0;
  r.InStartup = e.InStartup != 0;
  r.OtherFolder = PathText(e.OtherFolder);
  r.WindowState = e.WindowState;
  r.KeepOnUninstall = e.KeepOnUninstall != 0;
  r.ExpandTarget = true;
  return r;
}

RemovalRecords RemovalFor(ShortcutPlace place, bool keep_on_uninstall, std::u16string_view name) {
  RemovalRecords r;
  if (keep_on_uninstall) return r;
  r.file = true;
  switch (place) {
    case ShortcutPlace::kStartup: break;
    case ShortcutPlace::kOtherFolder: r.folder = true; break;
    default: r.folder = name.find(u'\\') != std::u16string_view::npos; break;
  }
  return r;
}

bool TaskbarPinSupported(const OsFacts& os) {
  if (os.wine) return false;
  return os.platform_id == 2 && (os.major > 6 || (os.major == 6 && os.minor >= 1)) && os.major < 10;
}

}  // namespace ks
