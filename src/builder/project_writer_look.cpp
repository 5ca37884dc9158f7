// [finish], [appearance] and [wizard] back from the settings: texts, icons and
// the background picture become files beside the project.
#include <algorithm>

#include "portable/display_settings.h"
#include "portable/icon_group.h"
#include "portable/text.h"
#include "project_finish.h"
#include "project_writer_parts.h"

namespace ks::builder::write {

namespace {

// "#RRGGBB" of a colour stored 0x00BBGGRR.
std::string Colour(uint32_t bgr) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  return buf;
}

std::string_view TextExtension(std::string_view text) { return text.starts_with("{\\rtf") ? ".rtf" : ".txt"; }

}  // namespace

bool Writer::Finish() {
  const Settings& s = s_;
  TomlText t;
  for (std::string_view key : FinishSwitches(s.OptionFlags2)) t.Bool(key, true);
  const std::pair<std::string_view, const std::vector<Blob>*> kTexts[] = {{"readme", &s.ReadmeTexts},
                                                                         {"licence", &s.LicenseTexts}};
  for (const auto& [key, texts] : kTexts) {
    if (texts->empty()) continue;
    std::string list;
    for (size_t i = 0; i < texts->size(); ++i) {
      std::string name = "texts/" + std::string(key) + std::to_string(i + 1) + std::string(TextExtension((*texts)[i]));
      if (!DataFile(key == "readme" ? "ReadmeTexts" : "LicenseTexts", name, (*texts)[i])) return false;
      list += (list.empty() ? "" : ", ") + TomlString(name);
    }
    t.Key(key, "[" + list + "]");
  }
  const std::tuple<std::string_view, std::string_view, const Blob*, std::string_view> kIcons[] = {
      {"product_icon", "ProductIcon", &s.ProductIcon, "pictures/product.ico"},
      {"uninstaller_icon", "UninstallIcon", &s.UninstallIcon, "pictures/uninstall.ico"}};
  for (const auto& [key, field, icon, name] : kIcons) {
    if (icon->empty()) continue;
    std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(icon->data()), icon->size());
    if (!IconGroupFromFile(bytes, 1)) return Fail(field, "is not an icon file, which is all a project names");
    if (!DataFile(field, std::string(name), *icon)) return false;
    t.String(key, name);
  }
  if (!s.BackgroundPicture.empty()) {
    if (!ParseDib(s.BackgroundPicture)) return Fail("BackgroundPicture", "is not a bitmap a project can name");
    if (!DataFile("BackgroundPicture", "pictures/background.bmp", BmpFileFromDib(s.BackgroundPicture))) return false;
    t.String("background_bitmap", "pictures/background.bmp");
    if (s.BitmapTPI > uint32_t(INT32_MAX) && s.BitmapTPI != 0xFFFFFFFF)
      return Fail("BitmapTPI", "is above the largest value a project gives");
    t.Integer("bitmap_tpi", s.BitmapTPI == 0xFFFFFFFF ? -1 : int64_t(s.BitmapTPI));
  }
  if (s.BitmapSize) t.Integer("bitmap_size", s.BitmapSize, "percent");
  if (s.StretchMode) t.Integer("stretch_mode", s.StretchMode);
  const std::tuple<std::string_view, std::string_view, const Text8*> kActions[] = {
      {"open_first", "FinishText1", &s.FinishText1},
      {"run_second", "FinishText2", &s.FinishText2},
      {"open_third", "FinishText3", &s.FinishText3}};
  for (const auto& [key, field, value] : kActions) {
    std::string text;
    if (value->empty()) continue;
    if (!Ansi(field, *value, text)) return false;
    t.String(key, text);
  }
  if (t.Text().empty()) return true;
  out_.Table("[finish]");
  out_.Raw(t.Text());
  return true;
}

bool Writer::Appearance() {
  const Settings& s = s_;
  for (const auto& [field, colour] : {std::pair{"TitleColor", s.TitleColor}, {"TopColor", s.TopColor},
                                      {"BottomColor", s.BottomColor}, {"CopyrightColor", s.CopyrightColor}}) {
    if (colour > 0xFFFFFF) return Fail(field, "is no #RRGGBB colour");
  }
  // Without the table a build gives these; with it the title is placed top left.
  if (s.TitleSize == 1.0 && s.TitleColor == 0xFFFFFF && s.TitleShadow == 1 && s.TitlePosition == 0 &&
      s.TitleFont == "Arial" && s.TopColor == 0x802000 && s.BottomColor == 0 && s.CopyrightPos == 0)
    return true;
  std::string_view position;
  std::string text;
  out_.Table("[appearance]");
  out_.Float("title_size", s.TitleSize);
  out_.String("title_color", Colour(s.TitleColor));
  out_.Integer("title_shadow", s.TitleShadow);
  if (!Named("TitlePosition", TextPositionNames(), s.TitlePosition, position)) return false;
  out_.String("title_position", position);
  if (!Ansi("TitleFont", s.TitleFont, text)) return false;
  out_.String("title_font", text);
  out_.String("top_color", Colour(s.TopColor));
  out_.String("bottom_color", Colour(s.BottomColor));
  if (s.CopyrightPos == 0) return true;  // the copyright fields are absent from the script
  if (!Wide("CopyrightText", s.CopyrightText, text)) return false;
  out_.String("copyright", text);
  if (!Wide("CopyrightFont", s.CopyrightFont, text)) return false;
  out_.String("copyright_font", text);
  out_.Float("copyright_size", s.CopyrightSize);
  out_.String("copyright_color", Colour(s.CopyrightColor));
  if (!Named("CopyrightPos", TextPositionNames(), s.CopyrightPos, position)) return false;
  out_.String("copyright_position", position);
  return true;
}

bool Writer::Wizard() {
  const Settings& s = s_;
  // Without the table a build gives side pictures, no frame, no texts and no progress placement.
  const bool side_pictures =
      std::all_of(s.DialogVariants.begin(), s.DialogVariants.end(), [](uint32_t v) { return v == 1; });
  if (side_pictures && s.PictureFrame == 0 && s.ProgressPosition == 0 && s.BannerHeading.empty() &&
      s.GreetingLink.empty() && s.SupportOffer.empty())
    return true;
  std::string dialogs;
  for (size_t i = 0; i < s.DialogVariants.size(); ++i) {
    std::string_view variant;
    if (!Named("DialogVariants", DialogVariantNames(), s.DialogVariants[i], variant)) return false;
    if (s.DialogVariants[i] == 1) continue;
    dialogs += (dialogs.empty() ? "" : ", ") + std::string(WizardDialogKeys()[i]) + " = " + TomlString(variant);
  }
  const uint32_t horizontal = s.ProgressPosition & 0x7, vertical = s.ProgressPosition & 0x18;
  if (s.ProgressPosition & ~uint32_t(0x1F)) return Fail("ProgressPosition", "holds bits that have no name");
  std::string_view frame, h, v;
  if (!Named("PictureFrame", PictureFrameNames(), s.PictureFrame, frame) ||
      !Named("ProgressPosition", ProgressHorizontalNames(), horizontal, h) ||
      !Named("ProgressPosition", ProgressVerticalNames(), vertical, v))
    return false;
  out_.Table("[wizard]");
  if (!dialogs.empty()) out_.Key("dialogs", "{ " + dialogs + " }", "the others: side_picture");
  out_.String("picture_frame", frame);
  out_.String("progress_horizontal", h);
  out_.String("progress_vertical", v);
  std::string text;
  if (!Wide("BannerHeading", s.BannerHeading, text)) return false;
  if (!text.empty()) out_.String("banner_heading", text);
  if (!Ansi("GreetingLink", s.GreetingLink, text)) return false;
  if (!text.empty()) out_.String("greeting_link", text);
  if (!Ansi("SupportOffer", s.SupportOffer, text)) return false;
  if (!text.empty()) out_.String("support_offer", text);
  return true;
}

}  // namespace ks::builder::write
