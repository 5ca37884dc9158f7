// The component fields of a [[files]] entry: a font's face name, an applet's
// name, and how an MSI package is installed and whether it goes with the product.
#include "portable/payload.h"
#include "project_compiler.h"

namespace ks::builder::compile {

namespace {

struct KindField {
  std::string_view key;
  uint32_t kind;
  std::string_view kind_name;
};

constexpr KindField kKindFields[] = {
    {"font_face", kKindFont, "font"},
    {"applet_name", kKindApplet, "applet"},
    {"msi_ui_level", kKindMsiPackage, "msi_package"},
    {"uninstall_with_product", kKindMsiPackage, "msi_package"},
};

}  // namespace

bool Compiler::ComponentFields(const toml::table& t, FileRecord& base) {
  for (const KindField& field : kKindFields) {
    const toml::node* n = t.get(field.key);
    if (n && base.Kind != field.kind)
      return Fail(*n, std::string(field.key) + " is for kind \"" + std::string(field.kind_name) + "\" only");
  }
  switch (base.Kind) {
    case kKindFont: {
      // The face is the name the system lists the font under: no face, no entry.
      std::string face;
      if (!GetString(t, "font_face", face)) return false;
      if (face.empty()) {
        const toml::node* at = t.get("font_face") ? t.get("font_face") : t.get("kind");
        return Fail(*at, "kind \"font\" needs a font_face naming the font, as in \"DejaVu Sans (TrueType)\"");
      }
      base.Title = face;  // UTF-8 in the record
      return true;
    }
    case kKindApplet: {
      std::string name;
      if (!GetString(t, "applet_name", name)) return false;
      base.Title = name;  // UTF-8; empty: the engine takes the file's name
      return true;
    }
    case kKindMsiPackage: {
      const NamedValue* level = FindByName(MsiUiLevelNames(), "basic");
      bool with_product = false;
      if (!GetNamed(t, "msi_ui_level", MsiUiLevelNames(), level) || !GetBool(t, "uninstall_with_product", with_product))
        return false;
      base.MsiUiLevel = level->value;
      if (with_product) base.FileFlags |= kFileRecordPackage;
      return true;
    }
    default:
      return true;
  }
}

}  // namespace ks::builder::compile
