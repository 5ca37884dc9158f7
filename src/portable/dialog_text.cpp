// Pure rules of the wizard's dialogs: template variant names, placeholder filling and
// the licence/readme viewer's encoding choice; the engine's dialog framework calls these.
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

#include <cstdint>

#include "text.h"

namespace ks {

ViewerContent ClassifyViewerText(std::string_view bytes) {
  constexpr std::string_view kRtf = "{\\rtf", kBom8 = "\xEF\xBB\xBF";
  ViewerContent c{ViewerText::kEightBit, {}, {}};
  std::string_view body = bytes;
  if (body.substr(0, 3) == kBom8) body.remove_prefix(3);
  if (body.substr(0, kRtf.size()) == kRtf) {
    c.kind = ViewerText::kRichText;
    c.rtf.assign(body);
    return c;
  }
  if (bytes.size() >= 2 && ((uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) ||
                            (uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF))) {
    const bool big = uint8_t(bytes[0]) == 0xFE;
    std::u16string t;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const uint8_t a = uint8_t(bytes[i]), b = uint8_t(bytes[i + 1]);
      t += char16_t(big ? (a << 8 | b) : (b << 8 | a));
    }
    c.kind = ViewerText::kUtf16;
    c.text = NormaliseLineEnds(t);
    return c;
  }
  if (bytes.substr(0, 3) == kBom8) {
    bool ok = false;
    std::u16string t = Utf8ToUtf16(body, &ok);
    if (ok) {
      c.kind = ViewerText::kUtf8;
      c.text = NormaliseLineEnds(t);
    }
  }
  return c;
}

}  // namespace ks
