// Texts by number from the settings' string table, with the placeholders
// "<product>", "<description>" and "<os>" filled in.
#include "settings_codec.h"

namespace ks {

TextW ReplacePlaceholders(std::u16string_view text, const Settings& s,
                          std::u16string_view windows_folder) {
  struct Placeholder {
    std::u16string_view name;
    std::u16string_view value;
  };
  const Placeholder placeholders[] = {{u"<product>", s.ProductName},
                                      {u"<description>", s.ProductDescription},
                                      {u"<os>", windows_folder}};
  TextW out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    if (text[i] == u'<') {
      for (const Placeholder& p : placeholders) {
        if (text.substr(i, p.name.size()) == p.name) {
          out += p.value;
          i += p.name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out.push_back(text[i++]);
  }
  return out;
}

TextW LookupText(const Settings& s, int n, std::u16string_view windows_folder) {
  return LookupText(s, n, windows_folder, s.CurrentLanguage);
}

TextW LookupText(const Settings& s, int n, std::u16string_view windows_folder, int language) {
  if (n < 0 || size_t(n) >= s.StringTable.size()) return {};
  const std::vector<TextW>& row = s.StringTable[size_t(n)];
  if (language < 0 || size_t(language) >= row.size()) return {};
  return ReplacePlaceholders(row[size_t(language)], s, windows_folder);
}

}  // namespace ks
