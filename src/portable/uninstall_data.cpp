// The uninstall data record set and its "Uninstall.DAT" text.
#include "portable/uninstall_data.h"

#include <charconv>

#include "portable/association_rules.h"
#include "portable/pending_renames.h"
#include "portable/text.h"

namespace ks {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSectionBreak = "\r\n\r\n";
constexpr std::string_view kAssociationSeparator = "~!~";

constexpr std::string_view kStrings = "[Strings]";
constexpr std::string_view kAutoClose = "[AutoClose]";
constexpr std::string_view kAssociations = "[Associations]";
constexpr std::string_view kFirewall = "[Firewall]";
constexpr std::string_view kInf = "[INF]";
constexpr std::string_view kMsi = "[MSI]";
constexpr std::string_view kRegistry = "[Registry]";
constexpr std::string_view kRegistry2 = "[Registry2]";
constexpr std::string_view kConditionalDelete = "[ConditionalDelete]";

enum class Section { kMain, kStrings, kAutoClose, kAssociations, kFirewall, kInf, kMsi, kRegistry, kRegistry2,
                     kConditionalDelete };

struct SectionName {
  std::string_view name;
  Section section;
};
constexpr SectionName kSectionNames[] = {
    {kStrings, Section::kStrings},     {kAutoClose, Section::kAutoClose}, {kAssociations, Section::kAssociations},
    {kFirewall, Section::kFirewall},   {kInf, Section::kInf},             {kMsi, Section::kMsi},
    {kRegistry, Section::kRegistry},   {kRegistry2, Section::kRegistry2},
    {kConditionalDelete, Section::kConditionalDelete}};

constexpr int kLowestMessageNumber = 1;
constexpr int kHighestMessageNumber = 1000;

// The folder set's key: lower case, without trailing backslashes, so that
// "C:\App\Data" and "c:\app\data\" are one folder.
std::u16string FolderKey(std::u16string_view path) {
  while (path.size() > 1 && (path.back() == u'\\' || path.back() == u'/')) path.remove_suffix(1);
  return FoldPathCase(path);
}



const char* KindPrefix(int kind) {
  switch (kind) {
    case kRecordFolder: return "~";
    case kRecordRegistryValue: return "!";
    default: return "";
  }
}

bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsWhiteSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsWhiteSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimEnd(std::string_view s) {
  while (!s.empty() && IsWhiteSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Lines split at CR LF, LF or a lone CR, each trimmed of white space.
std::vector<std::string_view> TrimmedLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(Trim(text.substr(start, i - start)));
    if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines;
}

bool FindSection(std::string_view line, Section* section) {
  for (const SectionName& s : kSectionNames) {
    if (line == s.name) {
      *section = s.section;
      return true;
    }
  }
  return false;
}

bool StartsWithSectionName(std::string_view line) {
  for (const SectionName& s : kSectionNames)
    if (line.substr(0, s.name.size()) == s.name) return true;
  return false;
}

// A whole field of decimal digits, optionally negative.
bool ParseNumber(std::string_view text, long long* value) {
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> SplitAt(std::string_view line, std::string_view separator) {
  std::vector<std::string_view> fields;
  for (;;) {
    size_t at = line.find(separator);
    if (at == std::string_view::npos) break;
    fields.push_back(line.substr(0, at));
    line.remove_prefix(at + separator.size());
  }
  fields.push_back(line);
  return fields;
}

std::u16string MessageFromUtf8(std::string_view text) {
  bool ok = true;
  std::u16string wide = Utf8ToUtf16(text, &ok);
  // A hand-edited file saved in the system code page still reads sensibly.
  return ok ? wide : SystemCodePage().ToWide(text);
}

void AppendLine(std::string& out, std::string_view line) {
  out += line;
  out += kLineEnd;
}

void AppendSection(std::string& out, std::string_view name, const std::string& text) {
  if (text.empty()) return;
  out += kSectionBreak;
  out += name;
  out += kLineEnd;
  out += text;
}

std::string Lines(const std::vector<Text8>& lines) {
  std::string text;
  for (const Text8& line : lines) AppendLine(text, line);
  return text;
}

}  // namespace

std::string EightBitPath(std::u16string_view path) {
  std::string ansi = SystemCodePage().FromWide(path);
  if (SystemCodePage().ToWide(ansi) == path) return ansi;
  std::string marked = "|";
  marked += Utf16ToUtf8(path);
  return marked;
}

void UninstallData::RecordItem(std::u16string_view path, int kind) {
  if (path.size() <= 3) return;
  if (kind == kRecordFolder && !recorded_folders_.insert(FolderKey(path)).second) return;
  std::string item = KindPrefix(kind);
  item += EightBitPath(path);
  items.push_back(std::move(item));
}

void UninstallData::RecordItem(std::string_view path, int kind) {
  if (path.size() <= 3) return;
  if (kind == kRecordFolder && !recorded_folders_.insert(FolderKey(WideFrom8Bit(path))).second) return;
  std::string item = KindPrefix(kind);
  item += path;
  items.push_back(std::move(item));
}

void UninstallData::ClearItems() {
  items.clear();
  recorded_folders_.clear();
}

void UninstallData::SetMessages(const std::function<std::u16string(int)>& message, std::u16string title_text) {
  for (int number : kUninstallMessageNumbers) messages[number] = message(number);
  title = std::move(title_text);
}

std::vector<FileDeletion> FileDeletionsFromSettings(const std::vector<DeleteEntry>& list) {
  std::vector<FileDeletion> records;
  for (const DeleteEntry& e : list) records.push_back({e.path, e.kind, e.value, e.flags});
  return records;
}

std::vector<AutoCloseRecord> AutoCloseFromSettings(const std::vector<CloseEntry>& list) {
  std::vector<AutoCloseRecord> records;
  for (const CloseEntry& e : list) {
    if (!(e.flags & kCloseAtUninstall)) continue;
    records.push_back({e.window_class, e.window_title, e.program_name, e.action, e.action == 2 ? 4 : 2});
  }
  return records;
}

std::string ComposeUninstallData(const UninstallData& data) {
  std::string out = Lines(data.items);

  out += kSectionBreak;
  out += kStrings;
  out += kLineEnd;
  auto append_string = [&](int number, const std::u16string& text) {
    out += '~';
    out += std::to_string(number);
    out += kLineEnd;
    AppendLine(out, Utf16ToUtf8(NormaliseLineEnds(text)));
  };
  for (int number : kUninstallMessageNumbers) {
    auto it = data.messages.find(number);
    append_string(number, it == data.messages.end() ? std::u16string() : it->second);
  }
  append_string(kTitleMessageNumber, data.title);

  std::string text;
  for (const AutoCloseRecord& r : data.auto_close)
    AppendLine(text, r.window_class + "," + r.window_title + "," + r.program_name + "," + std::to_string(r.action));
  AppendSection(out, kAutoClose, text);

  text.clear();
  for (const FileAssociation& a : data.associations)
    text += AssociationRecordLine(a);
  AppendSection(out, kAssociations, text);

  AppendSection(out, kFirewall, Lines(data.firewall));
  AppendSection(out, kInf, Lines(data.inf));
  AppendSection(out, kMsi, Lines(data.msi));
  AppendSection(out, kRegistry, Lines(data.registry));
  AppendSection(out, kRegistry2, Lines(data.registry2));

  text.clear();
  for (const FileDeletion& d : data.deletions) {
    if (!(d.flags & kConditionalDuringUninstall)) continue;
    AppendLine(text, d.path + "," + std::to_string(d.kind) + "," + d.value + "," + std::to_string(d.flags));
  }
  AppendSection(out, kConditionalDelete, text);
  return out;
}

void ParseUninstallData(std::string_view text, UninstallData& data) {
  std::vector<std::string_view> lines = TrimmedLines(text);
  Section section = Section::kMain;

  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (FindSection(line, &section)) continue;
    // Blank lines carry nothing; an empty registry key or path must never
    // reach the removal steps.
    if (line.empty()) continue;

    switch (section) {
      case Section::kMain: data.items.emplace_back(line); break;
      case Section::kFirewall: data.firewall.emplace_back(line); break;
      case Section::kInf: data.inf.emplace_back(line); break;
      case Section::kMsi: data.msi.emplace_back(line); break;
      case Section::kRegistry: data.registry.emplace_back(line); break;
      case Section::kRegistry2: data.registry2.emplace_back(line); break;

      case Section::kAssociations: {
        std::vector<std::string_view> f = SplitAt(line, kAssociationSeparator);
        if (f.size() < 3 || f[0].empty() || f[1].empty() || f[2].empty()) break;
        FileAssociation a{std::string(f[0]), std::string(f[1]), std::string(f[2]), {}};
        // Everything after the third separator is the icon.
        if (f.size() > 3) {
          size_t icon_at = f[0].size() + f[1].size() + f[2].size() + 3 * kAssociationSeparator.size();
          a.icon = std::string(line.substr(icon_at));
        }
        data.associations.push_back(std::move(a));
        break;
      }

      case Section::kAutoClose: {
        std::vector<std::string_view> f = SplitAt(line, ",");
        long long action = 0;
        if (f.size() != 4 || !ParseNumber(f[3], &action)) break;
        data.auto_close.push_back({std::string(f[0]), std::string(f[1]), std::string(f[2]), int(action),
                                   action == 2 ? 4 : 2});
        break;
      }

      case Section::kConditionalDelete: {
        std::vector<std::string_view> f = SplitAt(line, ",");
        long long kind = 0, flags = 0;
        if (f.size() != 4 || !ParseNumber(f[1], &kind) || !ParseNumber(f[3], &flags)) break;
        data.deletions.push_back({std::string(f[0]), int(kind), std::string(f[2]), unsigned(flags)});
        break;
      }

      case Section::kStrings: {
        long long number = 0;
        if (line.front() != '~' || !ParseNumber(line.substr(1), &number) || number < kLowestMessageNumber ||
            number > kHighestMessageNumber)
          break;  // text outside a valid "~N" block is ignored
        std::string body;
        size_t next = i + 1;
        for (; next < lines.size(); ++next) {
          std::string_view l = lines[next];
          if ((!l.empty() && l.front() == '~') || StartsWithSectionName(l)) break;
          if (next > i + 1) body += kLineEnd;
          body += l;
        }
        std::u16string message = MessageFromUtf8(TrimEnd(body));
        if (number == kTitleMessageNumber) data.title = std::move(message);
        else data.messages[int(number)] = std::move(message);
        i = next - 1;
        break;
      }
    }
  }
}

std::u16string WideFrom8Bit(std::string_view path) {
  if (!path.empty() && path.front() == '|') return Utf8ToUtf16(path.substr(1));
  return SystemCodePage().ToWide(path);
}

}  // namespace ks
