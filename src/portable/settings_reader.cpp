// Reads the settings script (fields 1 to 71) with the engine's range checks
// and the defaults applied while reading.
#include "archive.h"
#include "encodings.h"
#include "settings_codec.h"
#include "text.h"

namespace ks {
namespace {

constexpr char16_t kDefaultLanguage[] = u"English";

bool InRange(uint32_t count, int32_t max) {
  return int32_t(count) >= 0 && int32_t(count) <= max;
}

void ReadTexts(ByteReader& in, uint32_t count, std::vector<Blob>& out) {
  out.resize(count);
  for (Blob& text : out) ReadBlob32(in, text);
}

void ReadFileTimes(ByteReader& in, FileTimes& t) {
  in.ReadU64(t.creation);
  in.ReadU64(t.last_access);
  in.ReadU64(t.last_write);
}

// Entries until the marker. A stream that ends inside the list ends it too,
// so a truncated script is reported by the end mark rather than as a list
// that seems to run on forever with empty entries.
int ReadDeleteList(ByteReader& in, std::vector<DeleteEntry>& list) {
  for (;;) {
    DeleteEntry e;
    if (!ReadAZStr(in, e.path) || e.path == kDeleteListEnd) return 0;
    if (list.size() >= size_t(kMaxListEntries)) return kErrDeleteList;
    in.ReadU8(e.kind);
    ReadAZStr(in, e.value);
    in.ReadU8(e.flags);
    list.push_back(std::move(e));
  }
}

int ReadCloseList(ByteReader& in, std::vector<CloseEntry>& list) {
  for (;;) {
    CloseEntry e;
    if (!ReadAZStr(in, e.window_class) || e.window_class == kCloseListEnd) return 0;
    ReadAZStr(in, e.window_title);
    ReadAZStr(in, e.program_name);
    in.ReadU8(e.action);
    in.ReadU8(e.flags);
    list.push_back(std::move(e));
    if (list.size() > size_t(kMaxListEntries)) return kErrCloseList;
  }
}

void ReadAssociation(ByteReader& in, AssociationEntry& e) {
  in.ReadU32(e.AssocKind);
  for (Text8* field : {&e.Extension, &e.FileType, &e.TypeDescription, &e.Verb, &e.VerbLabel, &e.Command})
    ReadAZStr(in, *field);
  ReadWZStr(in, e.Language);
  ReadAZStr(in, e.IconPath);
}

void ReadShortcut(ByteReader& in, ShortcutEntry& e) {
  ReadAZStr(in, e.Target);
  ReadAZStr(in, e.Name);
  ReadAZStr(in, e.Icon);
  ReadPStr(in, e.Arguments);
  ReadAZStr(in, e.WorkingFolder);
  in.ReadU8(e.OnDesktop);
  in.ReadU8(e.InStartMenu);
  in.ReadU8(e.InStartup);
  ReadAZStr(in, e.OtherFolder);
  in.ReadU8(e.WindowState);
  in.ReadU8(e.KeepOnUninstall);
}

void ReadRegistryEntry(ByteReader& in, RegistryEntry& e) {
  ReadAZStr(in, e.path);
  in.ReadU8(e.type);
  ReadPStr(in, e.value);
}

template <typename Entry, typename ReadEntry>
int ReadCountedList(ByteReader& in, std::vector<Entry>& list, int error, ReadEntry read) {
  uint32_t count = 0;
  in.ReadU32(count);
  if (!InRange(count, kMaxListEntries)) return error;
  // Sized by what arrives, not by the count: an exhausted stream stops here
  // and fails at the end mark.
  for (uint32_t i = 0; i < count && !in.AtEnd(); ++i) read(in, list.emplace_back());
  return 0;
}

// Fields 68 to 70. A stream too short for the tables cannot hold the end
// mark either; that is answered before anything is sized from the counts.
int ReadLanguageTables(ByteReader& in, Settings& s) {
  uint8_t language_count = 0;
  uint32_t string_count = 0;
  bool have_counts = in.ReadU8(language_count);
  have_counts = in.ReadU32(string_count) && have_counts;
  if (!have_counts) return kErrEndMark;
  if (language_count == 0 || language_count > kMaxLanguages) return kErrLanguageCount;
  if (string_count == 0 || !InRange(string_count, kMaxStrings)) return kErrStringCount;
  // Every text takes at least its 2-byte terminator.
  uint64_t least = (uint64_t(language_count) + uint64_t(string_count) * language_count) * 2 + 4;
  if (least > in.Remaining()) return kErrEndMark;

  s.LanguageNames.resize(language_count);
  for (int k = 0; k < language_count; ++k) {
    ReadWZStr(in, s.LanguageNames[k]);
    if (s.LanguageNames[k] == kDefaultLanguage) s.CurrentLanguage = k;
  }
  s.StringTable.resize(string_count);
  for (std::vector<TextW>& row : s.StringTable) {
    row.resize(language_count);
    for (TextW& text : row) {
      ReadWZStr(in, text);
      text = NormaliseLineEnds(text);
    }
  }
  return 0;
}

}  // namespace

int ReadSettings(ByteReader& in, Settings& out, const SettingsReadOptions& options) {
  out = Settings{};
  Settings& s = out;
  const AnsiCodePage& cp = SystemCodePage();

  in.ReadU32(s.OptionFlags);                                   // 1
  in.ReadU32(s.OptionFlags2);                                  // 2
  in.ReadU8(s.SilentMode);                                     // 3
  ReadPStrAnsi(in, s.TaskbarText);                             // 4
  ReadPStr(in, s.DisplayTitle);                                // 5
  in.ReadDouble(s.TitleSize);                                  // 6
  in.ReadU32(s.ProgressPosition);                              // 7

  if (!(s.OptionFlags & kOptNoMainWindow) && options.before_script_check)
    options.before_script_check(s);
  if (options.script_check && !options.script_check()) return kErrScriptCheck;

  in.ReadU16(s.MinStatusTime);                                 // 8
  if (s.MinStatusTime > kMaxMinStatusTime) return kErrMinStatusTime;
  in.ReadU8(s.ShortcutMode);                                   // 9
  ReadFileTimes(in, s.UninstallerFileTimes);                   // 10
  ReadPStr(in, s.Publisher);                                   // 11
  ReadPStr(in, s.ProductName);                                 // 12
  if (options.product_name) s.ProductName = *options.product_name;
  s.ProductName8 = cp.FromWide(s.ProductName, '?');
  ReadPStr(in, s.ProductDescription);                          // 13
  if (s.ProductDescription.empty()) s.ProductDescription = s.ProductName;
  s.ProductDescription8 = cp.FromWide(s.ProductDescription, '?');
  in.ReadU8(s.Bitness);                                        // 14
  in.ReadU8(s.SharedFolderBase);                               // 15
  ReadPStr(in, s.SharedPath);                                  // 16
  if (s.SharedPath.empty())
    s.SharedPath = s.Publisher.empty() ? s.ProductName : s.Publisher;
  ReadPStr(in, s.SharedPathOnRemovable);                       // 17
  ReadWZStr(in, s.ProductStartMenu);                           // 18
  if (s.ProductStartMenu.empty()) s.ProductStartMenu = s.ProductName;
  ReadPStrAnsi(in, s.ProductVersion);                          // 19
  s.ProductVersionW = cp.ToWide(s.ProductVersion);
  ReadWZStr(in, s.DefaultInstallDir);                          // 20
  ReadWZStr(in, s.ProductRegistry);                            // 21
  ReadAZStr(in, s.Registry2Text);                              // 22
  in.ReadU32(s.BitmapSize);                                    // 23
  if (s.BitmapSize > uint32_t(kMaxBitmapSize)) return kErrBitmapSize;
  in.ReadU32(s.StretchMode);                                   // 24
  ReadBlob16(in, s.GreetingLink);                              // 25

  uint32_t count = 0;
  in.ReadU32(count);                                           // 26
  if (!InRange(count, kMaxTexts)) return kErrLicenseCount;
  ReadTexts(in, count, s.LicenseTexts);
  count = 0;
  in.ReadU32(count);                                           // 27
  if (!InRange(count, kMaxTexts)) return kErrReadmeCount;
  ReadTexts(in, count, s.ReadmeTexts);

  ReadPStr(in, s.UninstallSubdir);                             // 28
  ReadAZStr(in, s.UninstallerFileName);                        // 29
  ReadPStr(in, s.UninstallKeyName);                            // 30
  if (s.UninstallKeyName.empty()) s.UninstallKeyName = s.ProductName;
  ReadAZStr(in, s.InstallDirRegistryValue);                    // 31
  ReadWZStr(in, s.BannerHeading);                              // 32
  s.BannerHeading = ReplacePlaceholders(s.BannerHeading, s, options.windows_folder);
  in.ReadU8(s.PictureFrame);                                   // 33
  in.ReadU32(s.TitleColor);                                    // 34
  in.ReadU8(s.TitleShadow);                                    // 35
  in.ReadU8(s.TitlePosition);                                  // 36
  ReadAZStr(in, s.TitleFont);                                  // 37
  in.ReadU32(s.TopColor);                                      // 38
  in.ReadU32(s.BottomColor);                                   // 39
  if (ReadBlob32(in, s.BackgroundPicture) && !s.BackgroundPicture.empty())  // 40
    in.ReadU32(s.BitmapTPI);
  in.ReadU8(s.CopyrightPos);                                   // 41
  if (s.CopyrightPos != 0) {
    in.ReadU32(s.CopyrightColor);
    in.ReadDouble(s.CopyrightSize);
    ReadPStr(in, s.CopyrightText);
    ReadPStr(in, s.CopyrightFont);
  }
  if (s.OptionFlags & kOptRequiredProduct) {                   // 42
    ReadPStr(in, s.RequiredProductKey);
    ReadPStrAnsi(in, s.RequiredProductName);
    ReadPStrAnsi(in, s.RequiredProductVersion);
  }
  ReadPStr(in, s.DesktopFolder);                               // 43
  ReadBlob32(in, s.DesktopFolderIcon);                         // 44
  for (Text8* batch : {&s.PreInstallBatch, &s.PostInstallBatch, &s.ExitBatch,  // 45
                       &s.UninstallBatch1, &s.UninstallBatch2, &s.UpgradeBatch,
                       &s.ReinstallBatch})                     // 46
    ReadAZStr(in, *batch);
  in.ReadRaw(s.Reserved.data(), s.Reserved.size());            // 47
  in.ReadU32(s.ExcludedSystems);                               // 48
  in.ReadU8(s.PayloadInFile);                                  // 49
  for (Text8* text : {&s.FinishText1, &s.FinishText2, &s.FinishText3})  // 50
    ReadAZStr(in, *text);
  for (TextW* url : {&s.StartNotifyUrl, &s.InstallNotifyUrl, &s.UpgradeNotifyUrl,  // 51
                     &s.DowngradeNotifyUrl, &s.ReinstallNotifyUrl, &s.NotifyURL})
    ReadPStr(in, *url);
  ReadAZStr(in, s.ConfirmUpgradeBelow);                        // 52
  ReadStr8(in, s.NoDowngradeBelow);                            // 53
  ReadPStr(in, s.Password);                                    // 54
  ReadPStrAnsi(in, s.MustUninstallBelow);                      // 55
  ReadPStr(in, s.FirewallPrograms);                            // 56
  ReadPStr(in, s.AddToPathSubfolder);                          // 57
  in.ReadU64(s.ExtraSpace);                                    // 58
  for (uint32_t& variant : s.DialogVariants) in.ReadU32(variant);
  if (s.OptionFlags & kOptUninstaller) ReadBlob32(in, s.UninstallIcon);  // 59

  if (int error = ReadDeleteList(in, s.DeleteList)) return error;               // 60
  if (int error = ReadCountedList(in, s.AssociationList, kErrAssociationCount,  // 61
                                  ReadAssociation))
    return error;
  if (int error = ReadCountedList(in, s.ShortcutList, kErrShortcutCount, ReadShortcut))  // 62
    return error;
  ReadWZStr(in, s.RootShortcutTarget);                         // 63
  ReadAZStr(in, s.RootShortcutName);
  ReadWZStr(in, s.TaskbarPinTarget);
  ReadWZStr(in, s.TaskbarPinName);
  if (int error = ReadCountedList(in, s.RegistryList, kErrRegistryCount,  // 64
                                  ReadRegistryEntry))
    return error;
  ReadBlob16(in, s.SupportOffer);                              // 65
  ReadBlob32(in, s.ProductIcon);                               // 66
  if (int error = ReadCloseList(in, s.CloseList)) return error;  // 67
  if (int error = ReadLanguageTables(in, s)) return error;     // 68-70

  uint32_t end_mark = 0;
  in.ReadU32(end_mark);                                        // 71
  return end_mark == kScriptEndMark ? 0 : kErrEndMark;
}

}  // namespace ks
