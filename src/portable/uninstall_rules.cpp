// Pure rules of the uninstall run.
#include "portable/uninstall_rules.h"

#include <algorithm>
#include <set>

#include "portable/http_message.h"
#include "portable/path_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

size_t Depth(std::u16string_view path) { return size_t(std::count(path.begin(), path.end(), u'\\')); }

std::u16string Lower(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  return out;
}

std::u16string_view TrimSlashes(std::u16string_view s) {
  while (!s.empty() && (s.front() == u'\\' || s.front() == u'/')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u'\\' || s.back() == u'/')) s.remove_suffix(1);
  return s;
}

}  // namespace

ProductFlagWords SplitProductFlags(std::u16string_view text) {
  uint64_t value = 0;
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) value = value * 10 + (text[i] - u'0');
  if (digits == 0) return {};
  return {uint32_t(value & 0xFFFFFFFFu), uint32_t(value >> 32)};
}

std::vector<std::u16string> FoldersDeepestFirst(const std::vector<std::u16string>& folders) {
  std::vector<std::u16string> out;
  std::set<std::u16string> seen;
  for (const auto& f : folders) {
    std::u16string_view trimmed = f;
    while (trimmed.size() > 3 && trimmed.back() == u'\\') trimmed.remove_suffix(1);
    if (trimmed.empty() || !seen.insert(Lower(trimmed)).second) continue;
    out.emplace_back(trimmed);
  }
  // Deepest first, equal depths in their order: one key per folder, the
  // inverted depth above its position (a plain sort of integers costs the
  // engine far less code than a stable sort of strings).
  std::vector<uint64_t> keys(out.size());
  for (size_t i = 0; i < out.size(); ++i) keys[i] = uint64_t(~uint32_t(Depth(out[i]))) << 32 | i;
  std::sort(keys.begin(), keys.end());
  std::vector<std::u16string> sorted(out.size());
  for (size_t i = 0; i < keys.size(); ++i) sorted[i] = std::move(out[uint32_t(keys[i])]);
  return sorted;
}

bool IsTaskbarPinItem(std::u16string_view path) {
  return Lower(path).find(u"\\user pinned\\") != std::u16string::npos;
}

std::u16string FileNotDeletedLine(std::u16string_view message, std::u16string_view path,
                                  std::u16string_view error) {
  std::u16string line(message);
  line += u" \"";
  line += path;
  line += u"\":\r\n";
  line += error;
  while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r' || line.back() == u' ')) line.pop_back();
  line += u"\r\n\r\n";
  return line;
}

std::u16string SelfDeletionBatchText(std::u16string_view uninstaller, std::u16string_view install_dir,
                                     std::u16string_view uninstall_subdir, std::u16string_view batch_path,
                                     bool remove_install_dir) {
  std::u16string text = u":Repeat\r\ndel \"";
  text += uninstaller;
  text += u"\"\r\nif exist \"";
  text += uninstaller;
  text += u"\" goto Repeat\r\nCHOICE /T 3 /D Y\r\n";
  std::u16string_view sub = TrimSlashes(uninstall_subdir);
  for (int level = 0; !sub.empty() && level < 50; ++level) {
    text += u"rd \"" + JoinPath(install_dir, sub) + u"\"\r\n";
    size_t slash = sub.find_last_of(u"\\/");
    sub = slash == std::u16string_view::npos ? std::u16string_view() : TrimSlashes(sub.substr(0, slash));
  }
  if (remove_install_dir) text += u"rd \"" + std::u16string(install_dir) + u"\"\r\n";
  text += u"del \"";
  text += batch_path;
  text += u"\"\r\n";
  return text;
}

std::vector<std::u16string> QuotedNames(std::u16string_view text) {
  std::vector<std::u16string> out;
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find(u'"', i);
    if (open == std::u16string_view::npos) break;
    size_t close = text.find(u'"', open + 1);
    if (close == std::u16string_view::npos) break;
    out.emplace_back(text.substr(open + 1, close - open - 1));
    i = close + 1;
  }
  return out;
}

std::vector<SharedFileEntry> ParseSharedFiles(std::u16string_view text) {
  std::vector<SharedFileEntry> out;
  for (const std::u16string& quoted : QuotedNames(text)) {
    std::u16string_view name = quoted;
    SharedFileEntry entry;
    if (!name.empty() && name.back() == u'^') entry.unregister_com = true, name.remove_suffix(1);
    if (!name.empty() && name.back() == u' ') entry.keep_file = true, name.remove_suffix(1);
    if (!name.empty() && name.back() == u'\u00A9') entry.unregister_typelib = true, name.remove_suffix(1);
    if (name.empty()) continue;
    entry.path = std::u16string(name);
    out.push_back(std::move(entry));
  }
  return out;
}

std::u16string SupportAddress(std::u16string_view offer) {
  auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  while (!offer.empty() && space(offer.front())) offer.remove_prefix(1);
  while (!offer.empty() && space(offer.back())) offer.remove_suffix(1);
  std::string utf8 = Utf16ToUtf8(offer);
  if (ParseHttpUrl(utf8)) return std::u16string(offer);
  std::string scheme = utf8.substr(0, 7);
  for (char& c : scheme) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  bool mail = scheme == "mailto:" && utf8.find('@') > 7 && utf8.find('@') != std::string::npos &&
              std::none_of(utf8.begin(), utf8.end(), [](char c) { return uint8_t(c) <= ' '; });
  return mail ? std::u16string(offer) : std::u16string();
}

}  // namespace ks
