// Pure rules of the wizard's dialogs: template variant names and placeholder filling.
// The engine's dialog framework calls these; the native tests check them by table.
#include "dialog_text.h"

namespace ks {

std::string DialogTemplateName(std::string_view base, int variants) {
  std::string name(base);
  if (variants == 0) name += '2';
  else if (variants != 1) name += '3';
  return name;
}

std::u16string FillPlaceholders(std::u16string_view text, const TextPlaceholders& values) {
  struct Key { std::u16string_view name; std::u16string_view value; };
  const Key keys[] = {{u"<product>", values.product},
                      {u"<description>", values.description},
                      {u"<os>", values.os}};
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    if (text[i] == u'<') {
      for (const Key& k : keys) {
        if (text.substr(i, k.name.size()) == k.name) {
          out += k.value;
          i += k.name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

}  // namespace ks
