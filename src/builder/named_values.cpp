// The name tables of the project file.
#include "named_values.h"

#include <algorithm>

#include "portable/conditional_deletion.h"
#include "portable/payload.h"
#include "portable/uninstall_data.h"

namespace ks::builder {

namespace {

// Startup files need the shortcuts, which the engine does not make yet.
constexpr NamedValue kFileKinds[] = {
    {"file", kKindFile},
    {"shared", kKindShared},
    {"font", kKindFont},
    {"startup", kKindStartup, false},
    {"system", kKindSystem},
    {"com_server", kKindComServer},
    {"type_library", kKindTypeLibrary},
    {"versioned", kKindVersioned},
    {"driver_inf", kKindDriverInf},
    {"msi_package", kKindMsiPackage},
    {"applet", kKindApplet},
};

// The installer engine's own levels (INSTALLUILEVEL).
constexpr NamedValue kMsiUiLevels[] = {
    {"no_change", 0}, {"default", 1}, {"none", 2}, {"basic", 3}, {"reduced", 4}, {"full", 5},
};

// Mode 0 follows the kind's rule; for ordinary files that rule is "always
// write", so "always" is its second name (accepted for kind "file" only).
constexpr NamedValue kOverwrite[] = {
    {"by_kind", 0},
    {"always", 0},
    {"never", kFileOverwriteNever},
    {"if_exists", kFileOverwriteIfExists},
    {"if_missing", kFileOverwriteIfMissing},
    {"unless_newer", kFileOverwriteUnlessNewer},
};

constexpr NamedValue kAttributes[] = {
    {"read_only", 0x01},  // FILE_ATTRIBUTE_READONLY
    {"hidden", 0x02},     // FILE_ATTRIBUTE_HIDDEN
    {"system", 0x04},     // FILE_ATTRIBUTE_SYSTEM
    {"archive", 0x20},    // FILE_ATTRIBUTE_ARCHIVE
};

constexpr NamedValue kSharedFolderBases[] = {
    {"default", 0},  // 64-bit Common Files for a 64-bit product, else the system's
    {"app_data", 1},
    {"common32", 2},
    {"common64", 3},
};

constexpr NamedValue kWindowsVersions[] = {
    {"other", 0x1},       {"win32s", 0x2},      {"95", 0x4},          {"98", 0x8},
    {"me", 0x10},         {"nt3", 0x20},        {"nt4", 0x40},        {"2000", 0x80},
    {"xp", 0x100},        {"server2003", 0x200}, {"vista", 0x400},     {"server2008", 0x800},
    {"7", 0x1000},        {"8", 0x2000},        {"server2012", 0x4000}, {"10", 0x8000},
    {"server2016", 0x10000},
};

constexpr NamedValue kBitness[] = {{"any", 0}, {"64", 1}, {"32", 2}};

constexpr NamedValue kDeleteCompare[] = {
    {"always", kCompareAlways},
    {"date_equal", kCompareDateEqual},
    {"date_on_or_after", kCompareDateOnOrAfter},
    {"date_on_or_before", kCompareDateOnOrBefore},
    {"size_equal", kCompareSizeEqual},
    {"size_at_least", kCompareSizeAtLeast},
    {"size_at_most", kCompareSizeAtMost},
};

constexpr NamedValue kDeleteRestart[] = {
    {"never", 0},
    {"always", kConditionalAtRestart},
    {"on_failure", kConditionalRestartOnFailure},
};

constexpr NamedValue kCloseActions[] = {{"close", 0}, {"quit", 1}, {"ask", 2}, {"terminate", 3}};
constexpr NamedValue kRegistryTypes[] = {
    {"string", 1}, {"expand", 2}, {"binary", 3}, {"dword", 4}, {"qword", 11}};
constexpr NamedValue kAssociationKinds[] = {{"set", 0}, {"default", 1}, {"open_with", 2}};
constexpr NamedValue kFirewallProtocols[] = {{"tcp", 1}, {"udp", 2}, {"both", 3}};

// Title and copyright places: top row 1-3, bottom row 4-6, left to right.
constexpr NamedValue kTextPositions[] = {{"none", 0},        {"top_left", 1},    {"top_centre", 2},
                                         {"top_right", 3},   {"bottom_left", 4}, {"bottom_centre", 5},
                                         {"bottom_right", 6}};
constexpr NamedValue kVariants[] = {{"plain", 0}, {"side_picture", 1}, {"banner", 2}};
constexpr std::string_view kDialogs[] = {"greeting", "language", "licence", "readme",
                                         "folder",   "start_menu", "progress", "summary"};
constexpr NamedValue kFrames[] = {{"none", 0}, {"sunken", 1}, {"border", 2}};
constexpr NamedValue kHorizontal[] = {{"unchanged", 0}, {"left", 1}, {"right", 2}, {"centre", 3}};
constexpr NamedValue kVertical[] = {{"unchanged", 0}, {"top", 8}, {"bottom", 16}, {"centre", 24}};
constexpr NamedValue kUninstallValueTypes[] = {{"string", 1}, {"expand", 2}, {"dword", 4}};

}  // namespace

std::span<const NamedValue> FileKindNames() { return kFileKinds; }
std::span<const NamedValue> MsiUiLevelNames() { return kMsiUiLevels; }
std::span<const NamedValue> OverwriteNames() { return kOverwrite; }
std::span<const NamedValue> AttributeNames() { return kAttributes; }
std::span<const NamedValue> SharedFolderBaseNames() { return kSharedFolderBases; }
std::span<const NamedValue> WindowsVersionNames() { return kWindowsVersions; }
std::span<const NamedValue> BitnessNames() { return kBitness; }
std::span<const NamedValue> DeleteCompareNames() { return kDeleteCompare; }
std::span<const NamedValue> DeleteRestartNames() { return kDeleteRestart; }
std::span<const NamedValue> CloseActionNames() { return kCloseActions; }
std::span<const NamedValue> RegistryTypeNames() { return kRegistryTypes; }
std::span<const NamedValue> AssociationKindNames() { return kAssociationKinds; }
std::span<const NamedValue> FirewallProtocolNames() { return kFirewallProtocols; }
std::span<const NamedValue> TextPositionNames() { return kTextPositions; }
std::span<const NamedValue> DialogVariantNames() { return kVariants; }
std::span<const std::string_view> WizardDialogKeys() { return kDialogs; }
std::span<const NamedValue> PictureFrameNames() { return kFrames; }
std::span<const NamedValue> ProgressHorizontalNames() { return kHorizontal; }
std::span<const NamedValue> ProgressVerticalNames() { return kVertical; }
std::span<const NamedValue> UninstallValueTypeNames() { return kUninstallValueTypes; }

const NamedValue* FindByName(std::span<const NamedValue> table, std::string_view name) {
  auto it = std::find_if(table.begin(), table.end(), [&](const NamedValue& v) { return v.name == name; });
  return it == table.end() ? nullptr : &*it;
}

std::string_view NameOf(std::span<const NamedValue> table, uint32_t value) {
  auto it = std::find_if(table.begin(), table.end(), [&](const NamedValue& v) { return v.value == value; });
  return it == table.end() ? std::string_view() : it->name;
}

std::string NameList(std::span<const NamedValue> table) {
  std::string out;
  for (const NamedValue& v : table) {
    if (!v.supported) continue;
    if (!out.empty()) out += ", ";
    out += '"';
    out += v.name;
    out += '"';
  }
  return out;
}

std::vector<std::string_view> NamesOfBits(std::span<const NamedValue> table, uint32_t bits,
                                          uint32_t& unnamed) {
  std::vector<std::string_view> names;
  unnamed = bits;
  for (const NamedValue& v : table) {
    if (v.value && (bits & v.value) == v.value) {
      names.push_back(v.name);
      unnamed &= ~v.value;
    }
  }
  return names;
}

}  // namespace ks::builder
