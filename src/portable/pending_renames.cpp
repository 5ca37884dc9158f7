// Pending rename pairs and wininit.ini's [rename] section.
#include "pending_renames.h"

#include "text.h"

namespace ks {

std::u16string FoldPathCase(std::u16string_view path) {
  std::u16string out(path);
  for (char16_t& c : out) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F)) {
      c = char16_t(c + 0x20);
    } else if (c >= 0x400 && c <= 0x40F) {
      c = char16_t(c + 0x50);
    } else if (c >= 0x100 && c <= 0x17F) {
      // Latin Extended-A pairs capitals with the next code point; the odd
      // stretch 0x139..0x148 and 0x179..0x17E has its capitals on odd ones.
      bool odd_capitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
      if (c == 0x178) c = 0xFF;
      else if (c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F && (c % 2 == 1) == odd_capitals)
        c = char16_t(c + 1);
    }
  }
  return out;
}

std::u16string_view StripObjectPrefix(std::u16string_view path) {
  size_t skip = path.find_first_not_of(u"\\?!");
  return skip == std::u16string_view::npos ? std::u16string_view() : path.substr(skip);
}

std::vector<std::u16string> SplitMultiString(std::u16string_view data) {
  std::vector<std::u16string> out;
  // The list's own terminator; without it the data ends in its last string.
  if (data.size() >= 2 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0) data.remove_suffix(1);
  if (data.size() == 1 && data[0] == 0) return out;
  std::u16string current;
  for (char16_t c : data) {
    if (c == 0) {
      out.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) out.push_back(std::move(current));
  return out;
}

std::u16string JoinMultiString(const std::vector<std::u16string>& strings) {
  std::u16string out;
  for (const auto& s : strings) {
    out += s;
    out.push_back(0);
  }
  out.push_back(0);
  return out;
}

std::vector<RenamePair> PairStrings(const std::vector<std::u16string>& strings) {
  std::vector<RenamePair> pairs;
  for (size_t i = 0; i < strings.size(); i += 2)
    pairs.push_back({strings[i], i + 1 < strings.size() ? strings[i + 1] : std::u16string()});
  return pairs;
}

std::vector<std::u16string> FlattenPairs(const std::vector<RenamePair>& pairs) {
  std::vector<std::u16string> out;
  for (const auto& p : pairs) {
    out.push_back(p.source);
    out.push_back(p.destination);
  }
  return out;
}

PendingCleanup KeepPendingRenames(const std::vector<RenamePair>& pairs, const WrittenSet& written,
                                  const PendingLog& log) {
  PendingCleanup out;
  auto say = [&](const char* what, const std::u16string& path) {
    if (log) log("File \"" + Utf16ToUtf8(path) + "\" was removed from the list of pending " + what + ".\r\n");
  };
  for (const RenamePair& pair : pairs) {
    if (!pair.destination.empty()) {
      std::u16string target = FoldPathCase(StripObjectPrefix(pair.destination));
      if (written.count(target)) {
        // The restart would put the old copy back over the fresh file.
        say("moves", target);
        std::u16string source(StripObjectPrefix(pair.source));
        if (!source.empty()) out.delete_sources.push_back(std::move(source));
        out.changed = true;
        continue;
      }
    } else {
      std::u16string source = FoldPathCase(StripObjectPrefix(pair.source));
      if (source.empty()) {
        out.changed = true;
        continue;
      }
      if (written.count(source)) {
        say("deletions", source);
        out.changed = true;
        continue;
      }
    }
    out.kept.push_back(pair);
  }
  return out;
}

std::string InsertWininitRename(std::string text, std::string_view destination, std::string_view source) {
  std::string line = std::string(destination) + "=" + std::string(source);
  static constexpr std::string_view kSection = "[rename]";
  for (size_t i = 0; i + kSection.size() <= text.size(); ++i) {
    if (EqualsNoCase8(std::string_view(text).substr(i, kSection.size()), kSection)) {
      text.insert(i + kSection.size(), "\r\n" + line);
      return text;
    }
  }
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";
  text += "[rename]\r\n" + line;
  return text;
}

}  // namespace ks
