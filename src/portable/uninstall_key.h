// The product's uninstall registration as data: every value of the uninstall
// key in writing order, with its type and whether it is written or removed.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings.h"

namespace ks {

// OptionFlags2 bits the finishing phase reads.
enum : uint32_t {
  kOpt2AskRebootWhenSilent = 0x200,
  kOpt2SaveReadme = 0x4000,
  kOpt2SaveLicence = 0x8000,
  kOpt2RebootMarker = 0x200000,
};

// ArchiveFlags: the uninstaller is the bare engine image and gets the product's icon.
constexpr uint32_t kArcUninstallerIcon = 0x20;

enum class KeyValueKind {
  kText16,    // REG_SZ from UTF-16 text
  kExpand16,  // REG_EXPAND_SZ from UTF-16 text
  kText8,     // REG_SZ from 8-bit text
  kNumber,    // REG_DWORD
  kUnknown,   // an extra value of a type the engine does not write: the installer is damaged
};

struct UninstallKeyValue {
  std::u16string subkey;  // below the uninstall key; empty: the key itself
  std::u16string name;
  KeyValueKind kind = KeyValueKind::kText16;
  std::u16string text16;
  std::string text8;
  uint32_t number = 0;
  bool remove = false;  // deleted instead of written
  bool operator==(const UninstallKeyValue&) const = default;
};

// What the run adds to the settings. 8-bit texts are in the system code page.
struct UninstallKeyRun {
  std::u16string key_name;
  std::u16string uninstaller_path;
  std::u16string installer_path;
  std::u16string product_icon_path;  // empty: no DisplayIcon
  std::u16string install_dir;
  std::u16string start_menu_folder;
  std::u16string shared_path;
  std::string fonts_text;
  std::string shared_files;
  std::string notify_url;
  std::string copyright_font;
  uint64_t installed_size = 0;
  uint32_t option_flags = 0;  // with the run's decisions in place
  uint32_t archive_flags = 0;
  std::string install_date;  // "yymmdd" of the date formatter
  // The settings' extra values (ExtraUninstallValue), in their order.
  std::vector<UninstallKeyValue> extra;
};

// "\"<uninstaller>\" /u:\"<key>\"" and the quiet form with "/a " before "/u:".
std::u16string UninstallString(std::u16string_view uninstaller, std::u16string_view key_name);
std::u16string QuietUninstallString(std::u16string_view uninstaller, std::u16string_view key_name);

// One extra value of the settings with its expanded data: a name holding "\"
// names a sub-key before its last "\". A type other than 1, 2 and 4 gives kUnknown.
UninstallKeyValue ExtraUninstallValue(const RegistryEntry& entry, std::u16string_view name,
                                                     std::u16string_view expanded);

// The uninstall key's values in writing order.
std::vector<UninstallKeyValue> UninstallKeyValues(const Settings& s, const UninstallKeyRun& run);

// The file a readme or licence text is saved as: "<stem>.txt" when it is
// the list's only text, else "<stem><n>.txt" with its 1-based number.
std::u16string SavedTextName(std::u16string_view stem, size_t index, size_t count);

// "1.5" for 1.5, "2" for 2.0: "%.6f" without trailing zeros.
std::string NumberText(double value);

}  // namespace ks
