// Lines and fields of the firewall item list.
#include "portable/firewall_items.h"

namespace ks {

std::vector<std::u16string_view> FirewallLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u'\r' && text[i] != u'\n') continue;
    if (i > start) lines.push_back(text.substr(start, i - start));
    // A CR LF or LF CR pair is one line end.
    if (i + 1 < text.size() && text[i] != text[i + 1] && (text[i + 1] == u'\r' || text[i + 1] == u'\n')) ++i;
    start = i + 1;
  }
  return lines;
}

std::optional<FirewallItem> ParseFirewallLine(std::u16string_view line) {
  std::u16string_view fields[4];
  size_t count = 0, start = 0;
  for (size_t i = 0; i <= line.size(); ++i) {
    if (i < line.size() && line[i] != u';') continue;
    if (count == 4) return std::nullopt;
    fields[count++] = line.substr(start, i - start);
    start = i + 1;
  }
  if (count != 4) return std::nullopt;

  FirewallItem item;
  item.target = fields[0];
  item.name = fields[1];
  item.is_port = !fields[0].empty();
  for (char16_t c : fields[0]) {
    if (c < u'0' || c > u'9') {
      item.is_port = false;
      break;
    }
    if (item.port <= 65535) item.port = item.port * 10 + (c - u'0');
  }
  if (!item.is_port) item.port = 0;
  // The flags field is a decimal number; text after its digits is ignored.
  for (char16_t c : fields[2]) {
    if (c < u'0' || c > u'9' || item.flags > 0xFFFF) break;
    item.flags = item.flags * 10 + unsigned(c - u'0');
  }
  item.keep = fields[3].find(u'1') != std::u16string_view::npos;
  return item;
}

}  // namespace ks
