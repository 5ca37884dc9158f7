// The project file's [finish] table and [[uninstall_values]]: what the last
// phase of an installation leaves behind and registers.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "portable/display_settings.h"
#include "portable/icon_group.h"
#include "portable/text.h"
#include "portable/uninstall_key.h"
#include "project_compiler.h"
#include "project_finish.h"

namespace ks::builder::compile {

namespace {

struct FinishFlag {
  std::string_view key;
  uint32_t bit;  // in OptionFlags2
};
constexpr FinishFlag kFinishFlags[] = {
    {"save_readme", kOpt2SaveReadme},
    {"save_licence", kOpt2SaveLicence},
    {"reboot_marker", kOpt2RebootMarker},
    {"ask_restart_when_silent", kOpt2AskRebootWhenSilent},
};

constexpr NamedValue kValueTypes[] = {{"string", 1}, {"expand", 2}, {"dword", 4}};

}  // namespace

bool Compiler::ReadProjectFile(const toml::node& where, std::string& out) {
  std::string name = where.as_string()->get();
  fs::path path = fs::u8path(name);
  if (path.is_relative()) path = base_dir_ / path;
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(where, "cannot read '" + name + "'");
  std::ostringstream text;
  text << in.rdbuf();
  out = text.str();
  return true;
}

bool Compiler::TextFiles(const toml::table& t, std::string_view key, std::vector<Blob>& out) {
  const toml::node* node = t.get(key);
  if (!node) return true;
  const toml::array* list = node->as_array();
  if (!list || list->size() > size_t(kMaxTexts))
    return Fail(*node, std::string(key) + " must be a list of at most 20 text files");
  for (const toml::node& item : *list) {
    if (!item.is_string()) return Fail(item, std::string(key) + " entries must be file names");
    Blob text;
    if (!ReadProjectFile(item, text)) return false;
    out.push_back(std::move(text));
  }
  return true;
}

bool Compiler::IconFile(const toml::table& t, std::string_view key, Blob& out) {
  const toml::node* node = t.get(key);
  if (!node) return true;
  if (!node->is_string()) return Fail(*node, "'" + std::string(key) + "' must be a file name");
  if (!ReadProjectFile(*node, out)) return false;
  std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(out.data()), out.size());
  if (!IconGroupFromFile(bytes, 1)) return Fail(*node, "'" + std::string(key) + "' is not an icon file (.ico)");
  return true;
}

bool Compiler::Finish(const toml::table* t, Settings& s) {
  if (!t) return true;
  if (!CheckKeys(*t, "[finish]",
                 {"readme", "licence", "save_readme", "save_licence", "product_icon", "uninstaller_icon",
                  "background_bitmap", "bitmap_size", "stretch_mode", "bitmap_tpi", "reboot_marker",
                  "ask_restart_when_silent", "open_first", "run_second", "open_third"}))
    return false;
  for (const FinishFlag& f : kFinishFlags) {
    bool on = false;
    if (!GetBool(*t, f.key, on)) return false;
    if (on) s.OptionFlags2 |= f.bit;
  }
  if (!TextFiles(*t, "readme", s.ReadmeTexts) || !TextFiles(*t, "licence", s.LicenseTexts)) return false;
  if (!IconFile(*t, "product_icon", s.ProductIcon) || !IconFile(*t, "uninstaller_icon", s.UninstallIcon))
    return false;
  if (!s.UninstallIcon.empty() && !(s.OptionFlags & kOptUninstaller))
    return Fail(*t->get("uninstaller_icon"), "uninstaller_icon needs the uninstaller option");
  if (const toml::node* node = t->get("background_bitmap")) {
    if (!node->is_string()) return Fail(*node, "'background_bitmap' must be a file name");
    Blob file;
    if (!ReadProjectFile(*node, file)) return false;
    // The settings hold the packed DIB; the file header is rebuilt when it is saved.
    auto block = DibFromBmpFile(file);
    if (!block || !ParseDib(*block)) return Fail(*node, "background_bitmap is not a bitmap file (.bmp)");
    s.BackgroundPicture = *block;
  }
  int64_t size = s.BitmapSize, stretch = s.StretchMode, tpi = -1;
  if (!GetInteger(*t, "bitmap_size", size, 0, kMaxBitmapSize) ||
      !GetInteger(*t, "stretch_mode", stretch, 0, UINT32_MAX) || !GetInteger(*t, "bitmap_tpi", tpi, -1, INT32_MAX))
    return false;
  s.BitmapSize = uint32_t(size);
  s.StretchMode = uint32_t(stretch);
  if (!s.BackgroundPicture.empty()) s.BitmapTPI = uint32_t(tpi);
  if (!GetAnsi(*t, "open_first", s.FinishText1) || !GetAnsi(*t, "run_second", s.FinishText2) ||
      !GetAnsi(*t, "open_third", s.FinishText3))
    return false;
  return true;
}

bool Compiler::UninstallValues(const toml::array& a, Settings& s) {
  for (const toml::node& node : a) {
    const toml::table& t = *node.as_table();
    if (s.RegistryList.size() == size_t(kMaxListEntries))
      return Fail(node, "at most 1000 [[uninstall_values]] entries are allowed");
    if (!CheckKeys(t, "[[uninstall_values]]", {"name", "type", "data"})) return false;
    std::string name, data;
    const NamedValue* type = &kValueTypes[0];
    if (!GetString(t, "name", name, true, &node) || !GetNamed(t, "type", kValueTypes, type)) return false;
    if (const toml::node* d = t.get("data"); d && d->is_integer()) {
      if (d->as_integer()->get() < 0 || d->as_integer()->get() > UINT32_MAX)
        return Fail(*d, "data of a dword must be a whole number from 0 to 4294967295");
      data = std::to_string(d->as_integer()->get());
    } else if (!GetString(t, "data", data)) {
      return false;
    }
    std::replace(name.begin(), name.end(), '/', '\\');
    if (name.empty() || name.back() == '\\' || name.front() == '\\')
      return Fail(*t.get("name"), "name must be a value name, or a sub-key, a backslash and a value name");
    RegistryEntry entry;
    if (!ToAnsi(*t.get("name"), name, entry.path)) return false;
    entry.type = uint8_t(type->value);
    entry.value = Utf8ToUtf16(data);
    s.RegistryList.push_back(std::move(entry));
  }
  return true;
}

}  // namespace ks::builder::compile

namespace ks::builder {

std::vector<std::string_view> FinishSwitches(uint32_t option_flags2) {
  std::vector<std::string_view> on;
  for (const compile::FinishFlag& f : compile::kFinishFlags)
    if (option_flags2 & f.bit) on.push_back(f.key);
  return on;
}

uint32_t FinishSwitchBits() {
  uint32_t bits = 0;
  for (const compile::FinishFlag& f : compile::kFinishFlags) bits |= f.bit;
  return bits;
}

}  // namespace ks::builder
