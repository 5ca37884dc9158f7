// [appearance] (the main window behind the wizard) and [wizard] (the dialogs'
// templates, placement and extra texts): every look-and-feel setting by name.
#include <cmath>

#include "portable/text.h"
#include "project_compiler.h"

namespace ks::builder::compile {

namespace {

constexpr double kMaxTextScale = 10.0;

}  // namespace

// "#RRGGBB" as the system stores colours (0x00BBGGRR).
bool Compiler::GetColour(const toml::table& t, std::string_view key, uint32_t& out) {
  const toml::node* node = t.get(key);
  if (!node) return true;
  const auto* text = node->as_string();
  std::string v = text ? text->get() : "";
  if (v.size() != 7 || v[0] != '#' || v.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
    return Fail(*node, "'" + std::string(key) + "' must be a colour written #RRGGBB");
  uint32_t rgb = uint32_t(std::stoul(v.substr(1), nullptr, 16));
  out = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  return true;
}

bool Compiler::GetScale(const toml::table& t, std::string_view key, double& out) {
  const toml::node* node = t.get(key);
  if (!node) return true;
  std::optional<double> v = node->value<double>();
  if (!v || !std::isfinite(*v) || *v <= 0 || *v > kMaxTextScale)
    return Fail(*node, "'" + std::string(key) + "' must be a number above 0 and at most 10 (1 is the usual size)");
  out = *v;
  return true;
}

bool Compiler::Appearance(const toml::table* t, Settings& s) {
  if (!t) return true;
  if (!CheckKeys(*t, "[appearance]",
                 {"title_size", "title_color", "title_shadow", "title_position", "title_font", "top_color",
                  "bottom_color", "copyright", "copyright_font", "copyright_size", "copyright_color",
                  "copyright_position"}))
    return false;
  const NamedValue* title_position = &TextPositionNames()[1];
  const NamedValue* copyright_position = &TextPositionNames()[0];
  int64_t shadow = s.TitleShadow;
  if (!GetScale(*t, "title_size", s.TitleSize) || !GetColour(*t, "title_color", s.TitleColor) ||
      !GetInteger(*t, "title_shadow", shadow, 0, 255) || !GetNamed(*t, "title_position", TextPositionNames(), title_position) ||
      !GetAnsi(*t, "title_font", s.TitleFont) || !GetColour(*t, "top_color", s.TopColor))
    return false;
  s.BottomColor = s.TopColor;  // one colour unless a gradient is asked for
  if (!GetColour(*t, "bottom_color", s.BottomColor)) return false;
  s.TitleShadow = uint8_t(shadow);
  s.TitlePosition = uint8_t(title_position->value);

  s.CopyrightSize = 1.0;
  s.CopyrightColor = s.TitleColor;
  s.CopyrightFont = u"Arial";
  if (!GetWide(*t, "copyright", s.CopyrightText) || !GetWide(*t, "copyright_font", s.CopyrightFont) ||
      !GetScale(*t, "copyright_size", s.CopyrightSize) || !GetColour(*t, "copyright_color", s.CopyrightColor) ||
      !GetNamed(*t, "copyright_position", TextPositionNames(), copyright_position))
    return false;
  if (!s.CopyrightText.empty() && !t->get("copyright_position")) copyright_position = &TextPositionNames()[4];
  s.CopyrightPos = uint8_t(copyright_position->value);
  if (s.CopyrightPos != 0 && s.CopyrightText.empty())
    return Fail(*t->get("copyright_position"), "a copyright position needs the copyright text");
  return true;
}

bool Compiler::Wizard(const toml::table* t, Settings& s) {
  if (!t) return true;
  if (!CheckKeys(*t, "[wizard]",
                 {"dialogs", "picture_frame", "progress_horizontal", "progress_vertical", "banner_heading",
                  "greeting_link", "support_offer"}))
    return false;
  if (const toml::node* n = t->get("dialogs")) {
    const toml::table* dialogs = n->as_table();
    if (!dialogs) return Fail(*n, "dialogs must be a table: dialogs = { greeting = \"banner\", ... }");
    std::span<const std::string_view> keys = WizardDialogKeys();
    if (!CheckKeys(*dialogs, "dialogs", {keys[0], keys[1], keys[2], keys[3], keys[4], keys[5], keys[6], keys[7]}))
      return false;
    for (size_t i = 0; i < 8; ++i) {
      const NamedValue* variant = nullptr;
      if (!GetNamed(*dialogs, keys[i], DialogVariantNames(), variant)) return false;
      if (variant) s.DialogVariants[i] = variant->value;
    }
  }
  const NamedValue* frame = &PictureFrameNames()[0];
  const NamedValue* horizontal = &ProgressHorizontalNames()[3];
  const NamedValue* vertical = &ProgressVerticalNames()[3];
  if (!GetNamed(*t, "picture_frame", PictureFrameNames(), frame) ||
      !GetNamed(*t, "progress_horizontal", ProgressHorizontalNames(), horizontal) ||
      !GetNamed(*t, "progress_vertical", ProgressVerticalNames(), vertical) || !GetWide(*t, "banner_heading", s.BannerHeading) ||
      !GetAnsi(*t, "greeting_link", s.GreetingLink) || !GetAnsi(*t, "support_offer", s.SupportOffer))
    return false;
  s.PictureFrame = uint8_t(frame->value);
  s.ProgressPosition = horizontal->value | vertical->value;
  // Both travel with a 16-bit length.
  for (const auto& [key, value] : {std::pair{"greeting_link", &s.GreetingLink}, {"support_offer", &s.SupportOffer}}) {
    if (value->size() > 0xFFFF) return Fail(*t->get(key), std::string(key) + " is longer than 65535 bytes");
  }
  return true;
}

}  // namespace ks::builder::compile
