// Writes the settings script (fields 1 to 71) exactly as the reader takes it,
// and says in advance when a Settings value cannot be written faithfully.
#include "archive.h"
#include "encodings.h"
#include "settings_codec.h"

namespace ks {
namespace {

void WriteFileTimes(ByteWriter& w, const FileTimes& t) {
  w.U64(t.creation);
  w.U64(t.last_access);
  w.U64(t.last_write);
}

void WriteTexts(ByteWriter& w, const std::vector<Blob>& texts) {
  w.U32(uint32_t(texts.size()));
  for (const Blob& text : texts) WriteBlob32(w, text);
}

void WriteAssociation(ByteWriter& w, const AssociationEntry& e) {
  w.U32(e.AssocKind);
  for (const Text8* field : {&e.Extension, &e.FileType, &e.TypeDescription, &e.Verb, &e.VerbLabel, &e.Command})
    WriteAZStr(w, *field);
  WriteWZStr(w, e.Language);
  WriteAZStr(w, e.IconPath);
}

void WriteShortcut(ByteWriter& w, const ShortcutEntry& e) {
  WriteAZStr(w, e.Target);
  WriteAZStr(w, e.Name);
  WriteAZStr(w, e.Icon);
  WritePStr(w, e.Arguments);
  WriteAZStr(w, e.WorkingFolder);
  w.U8(e.OnDesktop);
  w.U8(e.InStartMenu);
  w.U8(e.InStartup);
  WriteAZStr(w, e.OtherFolder);
  w.U8(e.WindowState);
  w.U8(e.KeepOnUninstall);
}

void WriteRegistryEntry(ByteWriter& w, const RegistryEntry& e) {
  WriteAZStr(w, e.path);
  w.U8(e.type);
  WritePStr(w, e.value);
}

template <typename Entry, typename WriteEntry>
void WriteCountedList(ByteWriter& w, const std::vector<Entry>& list, WriteEntry write) {
  w.U32(uint32_t(list.size()));
  for (const Entry& e : list) write(w, e);
}

}  // namespace

Bytes WriteSettings(const Settings& s) {
  ByteWriter w;
  w.U32(s.OptionFlags);                                        // 1
  w.U32(s.OptionFlags2);                                       // 2
  w.U8(s.SilentMode);                                          // 3
  WritePStrAnsi(w, s.TaskbarText);                             // 4
  WritePStr(w, s.DisplayTitle);                                // 5
  w.Double(s.TitleSize);                                       // 6
  w.U32(s.ProgressPosition);                                   // 7
  w.U16(s.MinStatusTime);                                      // 8
  w.U8(s.ShortcutMode);                                        // 9
  WriteFileTimes(w, s.UninstallerFileTimes);                   // 10
  WritePStr(w, s.Publisher);                                   // 11
  WritePStr(w, s.ProductName);                                 // 12
  WritePStr(w, s.ProductDescription);                          // 13
  w.U8(s.Bitness);                                             // 14
  w.U8(s.SharedFolderBase);                                    // 15
  WritePStr(w, s.SharedPath);                                  // 16
  WritePStr(w, s.SharedPathOnRemovable);                       // 17
  WriteWZStr(w, s.ProductStartMenu);                           // 18
  WritePStrAnsi(w, s.ProductVersion);                          // 19
  WriteWZStr(w, s.DefaultInstallDir);                          // 20
  WriteWZStr(w, s.ProductRegistry);                            // 21
  WriteAZStr(w, s.Registry2Text);                              // 22
  w.U32(s.BitmapSize);                                         // 23
  w.U32(s.StretchMode);                                        // 24
  WriteBlob16(w, s.GreetingLink);                              // 25
  WriteTexts(w, s.LicenseTexts);                               // 26
  WriteTexts(w, s.ReadmeTexts);                                // 27
  WritePStr(w, s.UninstallSubdir);                             // 28
  WriteAZStr(w, s.UninstallerFileName);                        // 29
  WritePStr(w, s.UninstallKeyName);                            // 30
  WriteAZStr(w, s.InstallDirRegistryValue);                    // 31
  WriteWZStr(w, s.BannerHeading);                              // 32
  w.U8(s.PictureFrame);                                        // 33
  w.U32(s.TitleColor);                                         // 34
  w.U8(s.TitleShadow);                                         // 35
  w.U8(s.TitlePosition);                                       // 36
  WriteAZStr(w, s.TitleFont);                                  // 37
  w.U32(s.TopColor);                                           // 38
  w.U32(s.BottomColor);                                        // 39
  WriteBlob32(w, s.BackgroundPicture);                         // 40
  if (!s.BackgroundPicture.empty()) w.U32(s.BitmapTPI);
  w.U8(s.CopyrightPos);                                        // 41
  if (s.CopyrightPos != 0) {
    w.U32(s.CopyrightColor);
    w.Double(s.CopyrightSize);
    WritePStr(w, s.CopyrightText);
    WritePStr(w, s.CopyrightFont);
  }
  if (s.OptionFlags & kOptRequiredProduct) {                   // 42
    WritePStr(w, s.RequiredProductKey);
    WritePStrAnsi(w, s.RequiredProductName);
    WritePStrAnsi(w, s.RequiredProductVersion);
  }
  WritePStr(w, s.DesktopFolder);                               // 43
  WriteBlob32(w, s.DesktopFolderIcon);                         // 44
  for (const Text8* batch : {&s.PreInstallBatch, &s.PostInstallBatch, &s.ExitBatch,  // 45
                             &s.UninstallBatch1, &s.UninstallBatch2, &s.UpgradeBatch,
                             &s.ReinstallBatch})               // 46
    WriteAZStr(w, *batch);
  w.Raw(s.Reserved.data(), s.Reserved.size());                 // 47
  w.U32(s.ExcludedSystems);                                    // 48
  w.U8(s.PayloadInFile);                                       // 49
  for (const Text8* text : {&s.FinishText1, &s.FinishText2, &s.FinishText3})  // 50
    WriteAZStr(w, *text);
  for (const TextW* url : {&s.StartNotifyUrl, &s.InstallNotifyUrl, &s.UpgradeNotifyUrl,  // 51
                           &s.DowngradeNotifyUrl, &s.ReinstallNotifyUrl, &s.NotifyURL})
    WritePStr(w, *url);
  WriteAZStr(w, s.ConfirmUpgradeBelow);                        // 52
  WriteStr8(w, s.NoDowngradeBelow);                            // 53
  WritePStr(w, s.Password);                                    // 54
  WritePStrAnsi(w, s.MustUninstallBelow);                      // 55
  WritePStr(w, s.FirewallPrograms);                            // 56
  WritePStr(w, s.AddToPathSubfolder);                          // 57
  w.U64(s.ExtraSpace);                                         // 58
  for (uint32_t variant : s.DialogVariants) w.U32(variant);
  if (s.OptionFlags & kOptUninstaller) WriteBlob32(w, s.UninstallIcon);  // 59

  for (const DeleteEntry& e : s.DeleteList) {                  // 60
    WriteAZStr(w, e.path);
    w.U8(e.kind);
    WriteAZStr(w, e.value);
    w.U8(e.flags);
  }
  WriteAZStr(w, kDeleteListEnd);
  WriteCountedList(w, s.AssociationList, WriteAssociation);    // 61
  WriteCountedList(w, s.ShortcutList, WriteShortcut);          // 62
  WriteWZStr(w, s.RootShortcutTarget);                         // 63
  WriteAZStr(w, s.RootShortcutName);
  WriteWZStr(w, s.TaskbarPinTarget);
  WriteWZStr(w, s.TaskbarPinName);
  WriteCountedList(w, s.RegistryList, WriteRegistryEntry);     // 64
  WriteBlob16(w, s.SupportOffer);                              // 65
  WriteBlob32(w, s.ProductIcon);                               // 66
  for (const CloseEntry& e : s.CloseList) {                    // 67
    WriteAZStr(w, e.window_class);
    WriteAZStr(w, e.window_title);
    WriteAZStr(w, e.program_name);
    w.U8(e.action);
    w.U8(e.flags);
  }
  WriteAZStr(w, kCloseListEnd);

  const size_t languages = s.LanguageNames.size();
  w.U8(uint8_t(languages));                                    // 68
  w.U32(uint32_t(s.StringTable.size()));
  for (const TextW& name : s.LanguageNames) WriteWZStr(w, name);  // 69
  for (const std::vector<TextW>& row : s.StringTable)          // 70
    for (size_t k = 0; k < languages; ++k) WriteWZStr(w, k < row.size() ? row[k] : TextW());
  w.U32(kScriptEndMark);                                       // 71
  return w.Take();
}

std::string SettingsWriteProblem(const Settings& s) {
  const size_t languages = s.LanguageNames.size();
  if (s.MinStatusTime > kMaxMinStatusTime) return "MinStatusTime is above 9999";
  if (s.BitmapSize > 100) return "BitmapSize is above 100";
  if (s.GreetingLink.size() > 0xFFFF) return "GreetingLink is longer than 65535 bytes";
  if (s.LicenseTexts.size() > size_t(kMaxTexts)) return "more than 20 LicenseTexts";
  if (s.ReadmeTexts.size() > size_t(kMaxTexts)) return "more than 20 ReadmeTexts";
  if (s.NoDowngradeBelow.size() > 0xFF) return "NoDowngradeBelow is longer than 255 bytes";
  if (s.DeleteList.size() > size_t(kMaxListEntries)) return "more than 1000 DeleteList entries";
  for (const DeleteEntry& e : s.DeleteList)
    if (e.path == kDeleteListEnd) return "a DeleteList path reads as the list's end marker";
  if (s.AssociationList.size() > size_t(kMaxListEntries)) return "more than 1000 AssociationList entries";
  if (s.ShortcutList.size() > size_t(kMaxListEntries)) return "more than 1000 ShortcutList entries";
  if (s.RegistryList.size() > size_t(kMaxListEntries)) return "more than 1000 RegistryList entries";
  if (s.SupportOffer.size() > 0xFFFF) return "SupportOffer is longer than 65535 bytes";
  if (s.CloseList.size() > size_t(kMaxListEntries)) return "more than 1000 CloseList entries";
  for (const CloseEntry& e : s.CloseList)
    if (e.window_class == kCloseListEnd) return "a CloseList entry reads as the list's end marker";
  if (languages < 1 || languages > size_t(kMaxLanguages)) return "LanguageNames needs 1 to 200 entries";
  if (s.StringTable.size() < 1 || s.StringTable.size() > size_t(kMaxStrings))
    return "StringTable needs 1 to 10000 entries";
  for (const std::vector<TextW>& row : s.StringTable)
    if (row.size() > languages) return "a StringTable row has more texts than there are languages";
  return {};
}

}  // namespace ks
