// Texts by number from the settings' string table, with the placeholders
// "<product>", "<description>" and "<os>" filled in.
#include "settings_codec.h"
#include "text_source.h"

namespace ks {

TextW ReplacePlaceholders(std::u16string_view text, const Settings& s,
                          std::u16string_view windows_folder) {
  return ReplacePlaceholders(text, PlaceholderValues{s.ProductName, s.ProductDescription, windows_folder});
}

TextW LookupText(const Settings& s, int n, std::u16string_view windows_folder) {
  return LookupText(s, n, windows_folder, s.CurrentLanguage);
}

TextW LookupText(const Settings& s, int n, std::u16string_view windows_folder, int language) {
  return SettingsTexts(s, std::u16string(windows_folder), &language).Text(n);
}

}  // namespace ks
