// The names a project file uses for numbers of the settings and the payload
// records; one table per value, shared by the project compiler and inspect.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ks::builder {

struct NamedValue {
  std::string_view name;
  uint32_t value;
  bool supported = true;  // false: named, shown by inspect, refused in a project
};

// [[files]] kind: FileRecord.Kind.
std::span<const NamedValue> FileKindNames();
// [[files]] overwrite: the overwrite-mode bits of FileFlags.
std::span<const NamedValue> OverwriteNames();
// The user-interface levels of an MSI package's installation.
std::span<const NamedValue> MsiUiLevelNames();
// [[files]] attributes: the file attributes the engine applies.
std::span<const NamedValue> AttributeNames();
// [product] shared_folder_base: SharedFolderBase.
std::span<const NamedValue> SharedFolderBaseNames();
// [product] excluded_systems: the bits of ExcludedSystems.
std::span<const NamedValue> WindowsVersionNames();
// [product] bitness: Bitness.
std::span<const NamedValue> BitnessNames();
// [[delete]] compare: the comparison kind of a DeleteList entry.
std::span<const NamedValue> DeleteCompareNames();
// [[delete]] restart: the restart flags of a DeleteList entry.
std::span<const NamedValue> DeleteRestartNames();
// [[close]] action: the action byte of a CloseList entry.
std::span<const NamedValue> CloseActionNames();
// [[registry]] type: the registry type number of a value entry.
std::span<const NamedValue> RegistryTypeNames();
// [[associations]] kind: AssocKind.
std::span<const NamedValue> AssociationKindNames();
// [[firewall]] protocol: the flags field of a port item.
std::span<const NamedValue> FirewallProtocolNames();

// [appearance] title_position and copyright_position: TitlePosition, CopyrightPos.
std::span<const NamedValue> TextPositionNames();
// [wizard] dialogs: the template variant of each dialog (DialogVariants).
std::span<const NamedValue> DialogVariantNames();
// [wizard] dialogs: the eight keys, in the order of DialogVariants.
std::span<const std::string_view> WizardDialogKeys();
// [wizard] picture_frame: PictureFrame.
std::span<const NamedValue> PictureFrameNames();
// [wizard] progress_horizontal and progress_vertical: the two parts of ProgressPosition.
std::span<const NamedValue> ProgressHorizontalNames();
std::span<const NamedValue> ProgressVerticalNames();
// [[uninstall_values]] type: the type of a RegistryList entry.
std::span<const NamedValue> UninstallValueTypeNames();

// [[shortcuts]] window: the WindowState byte of a ShortcutList entry.
std::span<const NamedValue> ShortcutWindowNames();

// The entry called `name`, or null.
const NamedValue* FindByName(std::span<const NamedValue> table, std::string_view name);
// The first name of `value`, or "" when the table has none.
std::string_view NameOf(std::span<const NamedValue> table, uint32_t value);
// The supported names quoted and separated by commas, for error messages.
std::string NameList(std::span<const NamedValue> table);
// The names of the bits set in `bits`; bits without a name go to `unnamed`.
std::vector<std::string_view> NamesOfBits(std::span<const NamedValue> table, uint32_t bits,
                                          uint32_t& unnamed);

}  // namespace ks::builder
