// printf-style formatting of the installer's UTF-16 message texts.
#include "text_format.h"

#include <vector>

namespace ks {

std::u16string FormatText(std::u16string_view f, std::initializer_list<FormatArg> args_list) {
  std::vector<FormatArg> args(args_list);
  size_t next = 0;
  std::u16string out;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] != u'%' || i + 1 >= f.size()) { out.push_back(f[i]); continue; }
    char16_t c = f[i + 1];
    if (c == u'%') { out.push_back(u'%'); ++i; continue; }
    // Skip flags, width and length letters we do not interpret ("%ld", "%ls").
    size_t j = i + 1;
    while (j < f.size() && (f[j] == u'l' || f[j] == u'h' || (f[j] >= u'0' && f[j] <= u'9') || f[j] == u'-')) ++j;
    if (j >= f.size()) { out.push_back(f[i]); continue; }
    c = f[j];
    bool is_number = c == u'd' || c == u'i' || c == u'u';
    if ((!is_number && c != u's') || next >= args.size()) { out.push_back(f[i]); continue; }
    const FormatArg& a = args[next++];
    if (auto* n = std::get_if<int64_t>(&a)) {
      std::string digits = std::to_string(c == u'u' ? int64_t(uint32_t(*n)) : *n);
      out.append(digits.begin(), digits.end());
    } else {
      out += std::get<std::u16string_view>(a);
    }
    i = j;
  }
  return out;
}

}  // namespace ks
