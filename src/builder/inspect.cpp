// Inspecting an installer: decode the archive and describe it as JSON.
#include "inspect.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "inspect_registry.h"
#include "installer_decode.h"
#include "named_values.h"
#include "project_finish.h"
#include "project_notify.h"
#include "portable/archive.h"
#include "portable/install_rules.h"
#include "portable/overwrite_rules.h"
#include "portable/payload.h"
#include "portable/pe_image.h"
#include "portable/settings_codec.h"
#include "portable/sum32.h"
#include "portable/text.h"
#include "portable/uninstall_data.h"
#include "project.h"

namespace ks::builder {

namespace {

using Json = nlohmann::ordered_json;

std::string Hex32(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

std::string Utf8(const TextW& s) { return Utf16ToUtf8(s); }
// 8-bit texts are shown as the engine's default code page reads them.
std::string Ansi(const Text8& s) { return Utf16ToUtf8(Cp1252ToUtf16(s)); }

// Blobs: their length and the first bytes, enough to recognise them.
Json BlobJson(std::string_view blob) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < blob.size() && i < 16; ++i) {
    hex += kDigits[static_cast<uint8_t>(blob[i]) >> 4];
    hex += kDigits[static_cast<uint8_t>(blob[i]) & 15];
  }
  return Json{{"length", blob.size()}, {"prefix", hex}};
}

Json TimesJson(const FileTimes& t) {
  return Json{{"creation", t.creation}, {"last_access", t.last_access}, {"last_write", t.last_write}};
}

// A value by its project-file name; an unnamed one as its number.
Json Named(std::span<const NamedValue> table, uint32_t value) {
  std::string_view name = NameOf(table, value);
  return name.empty() ? Json(value) : Json(std::string(name));
}

// The restart flags of a DeleteList entry: "always" wins over "on_failure".
std::string RestartName(uint32_t flags) {
  if (flags & kConditionalAtRestart) return "always";
  return (flags & kConditionalRestartOnFailure) ? "on_failure" : "never";
}

// Bits by name, and any bits without a name as one hex number.
Json BitNames(std::span<const NamedValue> table, uint32_t bits) {
  uint32_t unnamed = 0;
  Json names = Json::array();
  for (std::string_view n : NamesOfBits(table, bits, unnamed)) names.push_back(std::string(n));
  if (unnamed) names.push_back(Hex32(unnamed));
  return names;
}

// The settings in the project file's words: options by name, named values.
Json ProjectJson(const Settings& s, uint32_t archive_flags) {
  Json j;
  Json options = Json::array();
  uint32_t left[3] = {s.OptionFlags, s.OptionFlags2, archive_flags};
  for (const NamedOption& o : OptionTable()) {
    uint32_t& word = left[int(o.word)];
    if (word & o.bit) options.push_back(std::string(o.name));
    word &= ~o.bit;
  }
  left[0] &= ~uint32_t(kOptRequiredProduct);  // shown as "required_product" below
  j["options"] = options;
  j["finish"] = Json::array();
  for (std::string_view name : FinishSwitches(s.OptionFlags2)) j["finish"].push_back(std::string(name));
  left[1] &= ~FinishSwitchBits();
  j["notify"] = Json::object();
  for (auto [key, address] : NotifyAddresses(s))
    if (!address->empty()) j["notify"][std::string(key)] = Utf8(*address);
  if (left[0] || left[1] || left[2])
    j["unnamed_bits"] = {{"OptionFlags", Hex32(left[0])}, {"OptionFlags2", Hex32(left[1])},
                         {"ArchiveFlags", Hex32(left[2])}};
  const std::u16string& dir = s.DefaultInstallDir;
  j["install_dir_source"] = dir == u"<master>"                                        ? "required_product"
                            : InstallDirFromRegistry(dir)                              ? "registry"
                                                                                       : "folder";
  j["bitness"] = Named(BitnessNames(), s.Bitness);
  j["shared_folder_base"] = Named(SharedFolderBaseNames(), s.SharedFolderBase);
  j["excluded_systems"] = BitNames(WindowsVersionNames(), s.ExcludedSystems);
  if (s.OptionFlags & kOptRequiredProduct) {
    j["required_product"] = {{"key", Utf8(s.RequiredProductKey)}, {"name", Ansi(s.RequiredProductName)},
                             {"version", Ansi(s.RequiredProductVersion)}};
  }
  AddRegistryProjectJson(s, j);
  return j;
}

// A component's own fields in the project file's words, and whether the
// uninstaller may remove a shared file once nothing uses it any more.
void AddComponentFields(const FileRecord& rec, Json& f) {
  switch (rec.Kind) {
    case kKindFont: f["font_face"] = rec.Title; break;
    case kKindApplet: f["applet_name"] = rec.Title; break;
    case kKindMsiPackage:
      f["msi_ui_level"] = Named(MsiUiLevelNames(), rec.MsiUiLevel);
      f["uninstall_with_product"] = (rec.FileFlags & kFileRecordPackage) != 0;
      break;
    default: break;
  }
  std::u16string entry = SharedListEntry(u"x", rec.Kind, rec.FileFlags);
  if (!entry.empty()) f["shared_file"] = entry.back() == kSharedKeepMarker ? "kept" : "removable";
}

// A payload record's flags and fields in the project file's words.
void AddNamedFileFields(const FileRecord& rec, Json& f) {
  f["kind"] = Named(FileKindNames(), rec.Kind);
  f["overwrite"] = Named(OverwriteNames(), rec.FileFlags & kFileOverwriteMask);
  f["permanent"] = (rec.FileFlags & kFilePermanent) != 0;
  f["into_uninstall_folder"] = (rec.FileFlags & kFileInUninstallDir) != 0;
  f["desktop_shortcut"] = (rec.FileFlags & kFileDesktopShortcut) != 0;
  f["start_menu_shortcut"] = (rec.FileFlags & kFileStartMenuShortcut) != 0;
  f["attributes"] = rec.Attributes == kKeepAttributes ? Json("keep") : BitNames(AttributeNames(), rec.Attributes);
  if (rec.Kind >= kKindSystem && rec.Kind <= kKindVersioned) f["version"] = rec.Title;
  AddComponentFields(rec, f);
}

Json SettingsJson(const Settings& s) {
  Json j;
  j["OptionFlags"] = Hex32(s.OptionFlags);
  j["OptionFlags2"] = Hex32(s.OptionFlags2);
  j["SilentMode"] = s.SilentMode;
  j["TaskbarText"] = Ansi(s.TaskbarText);
  j["DisplayTitle"] = Utf8(s.DisplayTitle);
  j["TitleSize"] = s.TitleSize;
  j["ProgressPosition"] = s.ProgressPosition;
  j["MinStatusTime"] = s.MinStatusTime;
  j["ShortcutMode"] = s.ShortcutMode;
  j["UninstallerFileTimes"] = TimesJson(s.UninstallerFileTimes);
  j["Publisher"] = Utf8(s.Publisher);
  j["ProductName"] = Utf8(s.ProductName);
  j["ProductDescription"] = Utf8(s.ProductDescription);
  j["Bitness"] = s.Bitness;
  j["SharedFolderBase"] = s.SharedFolderBase;
  j["SharedPath"] = Utf8(s.SharedPath);
  j["SharedPathOnRemovable"] = Utf8(s.SharedPathOnRemovable);
  j["ProductStartMenu"] = Utf8(s.ProductStartMenu);
  j["ProductVersion"] = Ansi(s.ProductVersion);
  j["DefaultInstallDir"] = Utf8(s.DefaultInstallDir);
  j["ProductRegistry"] = Utf8(s.ProductRegistry);
  j["Registry2Text"] = Ansi(s.Registry2Text);
  j["BitmapSize"] = s.BitmapSize;
  j["StretchMode"] = s.StretchMode;
  j["GreetingLink"] = BlobJson(s.GreetingLink);
  j["LicenseTexts"] = Json::array();
  for (const Blob& b : s.LicenseTexts) j["LicenseTexts"].push_back(BlobJson(b));
  j["ReadmeTexts"] = Json::array();
  for (const Blob& b : s.ReadmeTexts) j["ReadmeTexts"].push_back(BlobJson(b));
  j["UninstallSubdir"] = Utf8(s.UninstallSubdir);
  j["UninstallerFileName"] = Ansi(s.UninstallerFileName);
  j["UninstallKeyName"] = Utf8(s.UninstallKeyName);
  j["InstallDirRegistryValue"] = Ansi(s.InstallDirRegistryValue);
  j["BannerHeading"] = Utf8(s.BannerHeading);
  j["PictureFrame"] = s.PictureFrame;
  j["TitleColor"] = Hex32(s.TitleColor);
  j["TitleShadow"] = s.TitleShadow;
  j["TitlePosition"] = s.TitlePosition;
  j["TitleFont"] = Ansi(s.TitleFont);
  j["TopColor"] = Hex32(s.TopColor);
  j["BottomColor"] = Hex32(s.BottomColor);
  j["BackgroundPicture"] = BlobJson(s.BackgroundPicture);
  j["BitmapTPI"] = s.BitmapTPI;
  j["CopyrightPos"] = s.CopyrightPos;
  j["CopyrightColor"] = Hex32(s.CopyrightColor);
  j["CopyrightSize"] = s.CopyrightSize;
  j["CopyrightText"] = Utf8(s.CopyrightText);
  j["CopyrightFont"] = Utf8(s.CopyrightFont);
  j["RequiredProductKey"] = Utf8(s.RequiredProductKey);
  j["RequiredProductName"] = Ansi(s.RequiredProductName);
  j["RequiredProductVersion"] = Ansi(s.RequiredProductVersion);
  j["DesktopFolder"] = Utf8(s.DesktopFolder);
  j["DesktopFolderIcon"] = BlobJson(s.DesktopFolderIcon);
  j["PreInstallBatch"] = Ansi(s.PreInstallBatch);
  j["PostInstallBatch"] = Ansi(s.PostInstallBatch);
  j["ExitBatch"] = Ansi(s.ExitBatch);
  j["UninstallBatch1"] = Ansi(s.UninstallBatch1);
  j["UninstallBatch2"] = Ansi(s.UninstallBatch2);
  j["UpgradeBatch"] = Ansi(s.UpgradeBatch);
  j["ReinstallBatch"] = Ansi(s.ReinstallBatch);
  j["ExcludedSystems"] = Hex32(s.ExcludedSystems);
  j["PayloadInFile"] = s.PayloadInFile;
  j["FinishText1"] = Ansi(s.FinishText1);
  j["FinishText2"] = Ansi(s.FinishText2);
  j["FinishText3"] = Ansi(s.FinishText3);
  j["StartNotifyUrl"] = Utf8(s.StartNotifyUrl);
  j["InstallNotifyUrl"] = Utf8(s.InstallNotifyUrl);
  j["UpgradeNotifyUrl"] = Utf8(s.UpgradeNotifyUrl);
  j["DowngradeNotifyUrl"] = Utf8(s.DowngradeNotifyUrl);
  j["ReinstallNotifyUrl"] = Utf8(s.ReinstallNotifyUrl);
  j["NotifyURL"] = Utf8(s.NotifyURL);
  j["ConfirmUpgradeBelow"] = Ansi(s.ConfirmUpgradeBelow);
  j["NoDowngradeBelow"] = Ansi(s.NoDowngradeBelow);
  j["Password"] = s.Password.empty() ? "" : "(set)";
  j["MustUninstallBelow"] = Ansi(s.MustUninstallBelow);
  j["FirewallPrograms"] = Utf8(s.FirewallPrograms);
  j["AddToPathSubfolder"] = Utf8(s.AddToPathSubfolder);
  j["ExtraSpace"] = s.ExtraSpace;
  j["DialogVariants"] = s.DialogVariants;
  j["UninstallIcon"] = BlobJson(s.UninstallIcon);

  Json list = Json::array();
  for (const DeleteEntry& e : s.DeleteList) {
    list.push_back({{"path", Ansi(e.path)}, {"kind", e.kind}, {"value", Ansi(e.value)}, {"flags", e.flags},
                    {"compare", Named(DeleteCompareNames(), e.kind)}, {"restart", RestartName(e.flags)},
                    {"at_install", (e.flags & kConditionalDuringInstall) != 0},
                    {"at_uninstall", (e.flags & kConditionalDuringUninstall) != 0}});
  }
  j["DeleteList"] = list;
  list = Json::array();
  for (const AssociationEntry& e : s.AssociationList) {
    list.push_back({{"AssocKind", e.AssocKind}, {"Extension", Ansi(e.Extension)}, {"FileType", Ansi(e.FileType)},
                    {"TypeDescription", e.TypeDescription}, {"Verb", Ansi(e.Verb)}, {"VerbLabel", Ansi(e.VerbLabel)},
                    {"Command", Ansi(e.Command)}, {"Language", Utf8(e.Language)}, {"IconPath", Ansi(e.IconPath)}});
  }
  j["AssociationList"] = list;
  list = Json::array();
  for (const ShortcutEntry& e : s.ShortcutList) {
    list.push_back({{"Target", Ansi(e.Target)}, {"Name", e.Name}, {"Icon", Ansi(e.Icon)},
                    {"Arguments", Utf8(e.Arguments)}, {"WorkingFolder", Ansi(e.WorkingFolder)},
                    {"OnDesktop", e.OnDesktop}, {"InStartMenu", e.InStartMenu}, {"InStartup", e.InStartup},
                    {"OtherFolder", Ansi(e.OtherFolder)}, {"WindowState", e.WindowState},
                    {"window", Named(ShortcutWindowNames(), e.WindowState)},
                    {"KeepOnUninstall", e.KeepOnUninstall}});
  }
  j["ShortcutList"] = list;
  j["RootShortcutTarget"] = Utf8(s.RootShortcutTarget);
  j["RootShortcutName"] = s.RootShortcutName;  // UTF-8 in the script
  j["TaskbarPinTarget"] = Utf8(s.TaskbarPinTarget);
  j["TaskbarPinName"] = Utf8(s.TaskbarPinName);
  list = Json::array();
  for (const RegistryEntry& e : s.RegistryList)
    list.push_back({{"path", Ansi(e.path)}, {"type", e.type}, {"value", Utf8(e.value)}});
  j["RegistryList"] = list;
  j["SupportOffer"] = BlobJson(s.SupportOffer);
  j["ProductIcon"] = BlobJson(s.ProductIcon);
  list = Json::array();
  for (const CloseEntry& e : s.CloseList) {
    list.push_back({{"window_class", Ansi(e.window_class)}, {"window_title", Ansi(e.window_title)},
                    {"program_name", Ansi(e.program_name)}, {"action", e.action}, {"flags", e.flags},
                    {"action_name", Named(CloseActionNames(), e.action)},
                    {"at_install", (e.flags & kCloseAtInstall) != 0},
                    {"at_uninstall", (e.flags & kCloseAtUninstall) != 0}});
  }
  j["CloseList"] = list;
  j["LanguageCount"] = s.LanguageNames.size();
  j["StringCount"] = s.StringTable.size();
  list = Json::array();
  for (const TextW& n : s.LanguageNames) list.push_back(Utf8(n));
  j["LanguageNames"] = list;
  list = Json::array();
  for (const auto& texts : s.StringTable) {
    Json row = Json::array();
    for (const TextW& t : texts) row.push_back(Utf8(t));
    list.push_back(row);
  }
  j["StringTable"] = list;
  return j;
}

}  // namespace

bool InspectInstaller(std::span<const uint8_t> image, std::string& json, std::string& error) {
  DecodedInstaller decoded;
  Json files = Json::array();
  auto visit = [&](const FileRecord& rec, std::span<const uint8_t> content, std::string&) {
    Json f;
    f["FileName"] = Ansi(rec.FileName);
    f["Kind"] = rec.Kind;
    f["FileFlags"] = Hex32(rec.FileFlags);
    f["Attributes"] = Hex32(rec.Attributes);
    f["FileTime"] = TimesJson(rec.FileTime);
    f["Title"] = rec.Title;
    if (rec.FileFlags & kFileShortcutMask) f["IconFile"] = Ansi(rec.IconFile);
    f["Arguments"] = Ansi(rec.Arguments);
    f["Destination"] = Ansi(rec.Destination);
    f["WorkingFolder"] = Ansi(rec.WorkingFolder);
    if (rec.Kind == kKindMsiPackage) f["MsiUiLevel"] = rec.MsiUiLevel;
    AddNamedFileFields(rec, f);
    f["size"] = content.size();
    f["checksum"] = Hex32(Sum32(content.data(), static_cast<long long>(content.size())));
    files.push_back(f);
    return true;
  };
  if (!DecodeInstaller(image, decoded, visit, error)) return false;
  const SetupSection& section = decoded.section;
  const ArchiveHeader& header = decoded.header;
  const Settings& settings = decoded.settings;

  Json out;
  out["section"] = {{"pe_offset", section.pe_offset},     {"section_count", section.section_count},
                    {"index", section.index},             {"virtual_address", Hex32(section.virtual_address)},
                    {"virtual_size", section.virtual_size}, {"raw_size", section.raw_size},
                    {"raw_pointer", section.raw_pointer}};
  Json h;
  h["magic"] = Hex32(header.magic);
  h["version"] = header.version;
  h["ArchiveFlags"] = Hex32(header.ArchiveFlags);
  h["ScriptSize"] = header.ScriptSize;
  h["ScriptKey"] = Hex32(header.ScriptKey);
  h["EngineChecksum"] = Hex32(header.EngineChecksum);
  h["ArchiveEnd"] = header.ArchiveEnd;
  h["FileCount"] = header.FileCount;
  h["PayloadSize"] = header.PayloadSize;
  h["PayloadChecksum"] = Hex32(header.PayloadChecksum);
  h["FileSizes"] = header.FileSizes;
  if (header.ArchiveFlags & kArcBlowfish) {
    std::string key;
    for (uint8_t b : header.BlowfishKey) {
      char buf[3];
      std::snprintf(buf, sizeof buf, "%02x", b);
      key += buf;
    }
    h["BlowfishKey"] = key;
  }
  out["header"] = h;
  out["settings"] = SettingsJson(settings);
  out["project"] = ProjectJson(settings, header.ArchiveFlags);

  Json checks;
  const uint32_t engine_sum = decoded.engine_checksum;
  checks["engine_checksum"] = engine_sum == header.EngineChecksum ? "ok" : "mismatch (" + Hex32(engine_sum) + ")";
  checks["engine_checksum_enforced"] = (settings.OptionFlags2 & kOpt2EngineChecksum) != 0;
  checks["payload_chunks"] = decoded.payload_chunks;
  out["files"] = files;
  out["checks"] = checks;
  // Record texts are bytes from the installer: show invalid UTF-8 as U+FFFD, never stop on it.
  json = out.dump(2, ' ', false, Json::error_handler_t::replace);
  return true;
}

}  // namespace ks::builder
