// ReplacePlaceholders and the two text sources.
#include "text_source.h"

namespace ks {

TextW ReplacePlaceholders(std::u16string_view text, const PlaceholderValues& values) {
  struct Placeholder {
    std::u16string_view name;
    std::u16string_view value;
  };
  const Placeholder placeholders[] = {
      {u"<product>", values.product}, {u"<description>", values.description}, {u"<os>", values.os}};
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

std::u16string_view SettingsTexts::Raw(int n) const {
  const Settings& s = settings_;
  if (n < 0 || size_t(n) >= s.StringTable.size()) return {};
  const std::vector<TextW>& row = s.StringTable[size_t(n)];
  int language = language_ ? *language_ : s.CurrentLanguage;
  if (language < 0 || size_t(language) >= row.size()) return {};
  return row[size_t(language)];
}

PlaceholderValues SettingsTexts::Placeholders() const {
  return {settings_.ProductName, settings_.ProductDescription, windows_folder_};
}

std::u16string_view StoredTexts::Raw(int n) const {
  auto found = messages_.find(n);
  return found == messages_.end() ? std::u16string_view() : std::u16string_view(found->second);
}

}  // namespace ks
