// Field-by-field comparison of settings and payload records.
#include "settings_fields.h"

namespace ks::builder {

namespace {

template <typename T>
struct Field {
  std::string_view name;
  bool (*equal)(const T&, const T&);
};

template <typename T, size_t N>
std::string_view FirstDifference(const Field<T> (&fields)[N], const T& a, const T& b) {
  for (const Field<T>& f : fields)
    if (!f.equal(a, b)) return f.name;
  return {};
}

}  // namespace

std::string_view FirstDifferentField(const Settings& a, const Settings& b) {
  // Script order, so that the first difference is the first field a reader meets.
  static const Field<Settings> kFields[] = {
      {"OptionFlags", [](const Settings& a, const Settings& b) { return a.OptionFlags == b.OptionFlags; }},
      {"OptionFlags2", [](const Settings& a, const Settings& b) { return a.OptionFlags2 == b.OptionFlags2; }},
      {"SilentMode", [](const Settings& a, const Settings& b) { return a.SilentMode == b.SilentMode; }},
      {"TaskbarText", [](const Settings& a, const Settings& b) { return a.TaskbarText == b.TaskbarText; }},
      {"DisplayTitle", [](const Settings& a, const Settings& b) { return a.DisplayTitle == b.DisplayTitle; }},
      {"TitleSize", [](const Settings& a, const Settings& b) { return a.TitleSize == b.TitleSize; }},
      {"ProgressPosition", [](const Settings& a, const Settings& b) { return a.ProgressPosition == b.ProgressPosition; }},
      {"MinStatusTime", [](const Settings& a, const Settings& b) { return a.MinStatusTime == b.MinStatusTime; }},
      {"ShortcutMode", [](const Settings& a, const Settings& b) { return a.ShortcutMode == b.ShortcutMode; }},
      {"UninstallerFileTimes", [](const Settings& a, const Settings& b) { return a.UninstallerFileTimes == b.UninstallerFileTimes; }},
      {"Publisher", [](const Settings& a, const Settings& b) { return a.Publisher == b.Publisher; }},
      {"ProductName", [](const Settings& a, const Settings& b) { return a.ProductName == b.ProductName; }},
      {"ProductDescription", [](const Settings& a, const Settings& b) { return a.ProductDescription == b.ProductDescription; }},
      {"Bitness", [](const Settings& a, const Settings& b) { return a.Bitness == b.Bitness; }},
      {"SharedFolderBase", [](const Settings& a, const Settings& b) { return a.SharedFolderBase == b.SharedFolderBase; }},
      {"SharedPath", [](const Settings& a, const Settings& b) { return a.SharedPath == b.SharedPath; }},
      {"SharedPathOnRemovable", [](const Settings& a, const Settings& b) { return a.SharedPathOnRemovable == b.SharedPathOnRemovable; }},
      {"ProductStartMenu", [](const Settings& a, const Settings& b) { return a.ProductStartMenu == b.ProductStartMenu; }},
      {"ProductVersion", [](const Settings& a, const Settings& b) { return a.ProductVersion == b.ProductVersion; }},
      {"DefaultInstallDir", [](const Settings& a, const Settings& b) { return a.DefaultInstallDir == b.DefaultInstallDir; }},
      {"ProductRegistry", [](const Settings& a, const Settings& b) { return a.ProductRegistry == b.ProductRegistry; }},
      {"Registry2Text", [](const Settings& a, const Settings& b) { return a.Registry2Text == b.Registry2Text; }},
      {"BitmapSize", [](const Settings& a, const Settings& b) { return a.BitmapSize == b.BitmapSize; }},
      {"StretchMode", [](const Settings& a, const Settings& b) { return a.StretchMode == b.StretchMode; }},
      {"GreetingLink", [](const Settings& a, const Settings& b) { return a.GreetingLink == b.GreetingLink; }},
      {"LicenseTexts", [](const Settings& a, const Settings& b) { return a.LicenseTexts == b.LicenseTexts; }},
      {"ReadmeTexts", [](const Settings& a, const Settings& b) { return a.ReadmeTexts == b.ReadmeTexts; }},
      {"UninstallSubdir", [](const Settings& a, const Settings& b) { return a.UninstallSubdir == b.UninstallSubdir; }},
      {"UninstallerFileName", [](const Settings& a, const Settings& b) { return a.UninstallerFileName == b.UninstallerFileName; }},
      {"UninstallKeyName", [](const Settings& a, const Settings& b) { return a.UninstallKeyName == b.UninstallKeyName; }},
      {"InstallDirRegistryValue", [](const Settings& a, const Settings& b) { return a.InstallDirRegistryValue == b.InstallDirRegistryValue; }},
      {"BannerHeading", [](const Settings& a, const Settings& b) { return a.BannerHeading == b.BannerHeading; }},
      {"PictureFrame", [](const Settings& a, const Settings& b) { return a.PictureFrame == b.PictureFrame; }},
      {"TitleColor", [](const Settings& a, const Settings& b) { return a.TitleColor == b.TitleColor; }},
      {"TitleShadow", [](const Settings& a, const Settings& b) { return a.TitleShadow == b.TitleShadow; }},
      {"TitlePosition", [](const Settings& a, const Settings& b) { return a.TitlePosition == b.TitlePosition; }},
      {"TitleFont", [](const Settings& a, const Settings& b) { return a.TitleFont == b.TitleFont; }},
      {"TopColor", [](const Settings& a, const Settings& b) { return a.TopColor == b.TopColor; }},
      {"BottomColor", [](const Settings& a, const Settings& b) { return a.BottomColor == b.BottomColor; }},
      {"BackgroundPicture", [](const Settings& a, const Settings& b) { return a.BackgroundPicture == b.BackgroundPicture; }},
      {"BitmapTPI", [](const Settings& a, const Settings& b) { return a.BitmapTPI == b.BitmapTPI; }},
      {"CopyrightPos", [](const Settings& a, const Settings& b) { return a.CopyrightPos == b.CopyrightPos; }},
      {"CopyrightColor", [](const Settings& a, const Settings& b) { return a.CopyrightColor == b.CopyrightColor; }},
      {"CopyrightSize", [](const Settings& a, const Settings& b) { return a.CopyrightSize == b.CopyrightSize; }},
      {"CopyrightText", [](const Settings& a, const Settings& b) { return a.CopyrightText == b.CopyrightText; }},
      {"CopyrightFont", [](const Settings& a, const Settings& b) { return a.CopyrightFont == b.CopyrightFont; }},
      {"RequiredProductKey", [](const Settings& a, const Settings& b) { return a.RequiredProductKey == b.RequiredProductKey; }},
      {"RequiredProductName", [](const Settings& a, const Settings& b) { return a.RequiredProductName == b.RequiredProductName; }},
      {"RequiredProductVersion", [](const Settings& a, const Settings& b) { return a.RequiredProductVersion == b.RequiredProductVersion; }},
      {"DesktopFolder", [](const Settings& a, const Settings& b) { return a.DesktopFolder == b.DesktopFolder; }},
      {"DesktopFolderIcon", [](const Settings& a, const Settings& b) { return a.DesktopFolderIcon == b.DesktopFolderIcon; }},
      {"PreInstallBatch", [](const Settings& a, const Settings& b) { return a.PreInstallBatch == b.PreInstallBatch; }},
      {"PostInstallBatch", [](const Settings& a, const Settings& b) { return a.PostInstallBatch == b.PostInstallBatch; }},
      {"ExitBatch", [](const Settings& a, const Settings& b) { return a.ExitBatch == b.ExitBatch; }},
      {"UninstallBatch1", [](const Settings& a, const Settings& b) { return a.UninstallBatch1 == b.UninstallBatch1; }},
      {"UninstallBatch2", [](const Settings& a, const Settings& b) { return a.UninstallBatch2 == b.UninstallBatch2; }},
      {"UpgradeBatch", [](const Settings& a, const Settings& b) { return a.UpgradeBatch == b.UpgradeBatch; }},
      {"ReinstallBatch", [](const Settings& a, const Settings& b) { return a.ReinstallBatch == b.ReinstallBatch; }},
      {"Reserved", [](const Settings& a, const Settings& b) { return a.Reserved == b.Reserved; }},
      {"ExcludedSystems", [](const Settings& a, const Settings& b) { return a.ExcludedSystems == b.ExcludedSystems; }},
      {"PayloadInFile", [](const Settings& a, const Settings& b) { return a.PayloadInFile == b.PayloadInFile; }},
      {"FinishText1", [](const Settings& a, const Settings& b) { return a.FinishText1 == b.FinishText1; }},
      {"FinishText2", [](const Settings& a, const Settings& b) { return a.FinishText2 == b.FinishText2; }},
      {"FinishText3", [](const Settings& a, const Settings& b) { return a.FinishText3 == b.FinishText3; }},
      {"StartNotifyUrl", [](const Settings& a, const Settings& b) { return a.StartNotifyUrl == b.StartNotifyUrl; }},
      {"InstallNotifyUrl", [](const Settings& a, const Settings& b) { return a.InstallNotifyUrl == b.InstallNotifyUrl; }},
      {"UpgradeNotifyUrl", [](const Settings& a, const Settings& b) { return a.UpgradeNotifyUrl == b.UpgradeNotifyUrl; }},
      {"DowngradeNotifyUrl", [](const Settings& a, const Settings& b) { return a.DowngradeNotifyUrl == b.DowngradeNotifyUrl; }},
      {"ReinstallNotifyUrl", [](const Settings& a, const Settings& b) { return a.ReinstallNotifyUrl == b.ReinstallNotifyUrl; }},
      {"NotifyURL", [](const Settings& a, const Settings& b) { return a.NotifyURL == b.NotifyURL; }},
      {"ConfirmUpgradeBelow", [](const Settings& a, const Settings& b) { return a.ConfirmUpgradeBelow == b.ConfirmUpgradeBelow; }},
      {"NoDowngradeBelow", [](const Settings& a, const Settings& b) { return a.NoDowngradeBelow == b.NoDowngradeBelow; }},
      {"Password", [](const Settings& a, const Settings& b) { return a.Password == b.Password; }},
      {"MustUninstallBelow", [](const Settings& a, const Settings& b) { return a.MustUninstallBelow == b.MustUninstallBelow; }},
      {"FirewallPrograms", [](const Settings& a, const Settings& b) { return a.FirewallPrograms == b.FirewallPrograms; }},
      {"AddToPathSubfolder", [](const Settings& a, const Settings& b) { return a.AddToPathSubfolder == b.AddToPathSubfolder; }},
      {"ExtraSpace", [](const Settings& a, const Settings& b) { return a.ExtraSpace == b.ExtraSpace; }},
      {"DialogVariants", [](const Settings& a, const Settings& b) { return a.DialogVariants == b.DialogVariants; }},
      {"UninstallIcon", [](const Settings& a, const Settings& b) { return a.UninstallIcon == b.UninstallIcon; }},
      {"DeleteList", [](const Settings& a, const Settings& b) { return a.DeleteList == b.DeleteList; }},
      {"AssociationList", [](const Settings& a, const Settings& b) { return a.AssociationList == b.AssociationList; }},
      {"ShortcutList", [](const Settings& a, const Settings& b) { return a.ShortcutList == b.ShortcutList; }},
      {"RootShortcutTarget", [](const Settings& a, const Settings& b) { return a.RootShortcutTarget == b.RootShortcutTarget; }},
      {"RootShortcutName", [](const Settings& a, const Settings& b) { return a.RootShortcutName == b.RootShortcutName; }},
      {"TaskbarPinTarget", [](const Settings& a, const Settings& b) { return a.TaskbarPinTarget == b.TaskbarPinTarget; }},
      {"TaskbarPinName", [](const Settings& a, const Settings& b) { return a.TaskbarPinName == b.TaskbarPinName; }},
      {"RegistryList", [](const Settings& a, const Settings& b) { return a.RegistryList == b.RegistryList; }},
      {"SupportOffer", [](const Settings& a, const Settings& b) { return a.SupportOffer == b.SupportOffer; }},
      {"ProductIcon", [](const Settings& a, const Settings& b) { return a.ProductIcon == b.ProductIcon; }},
      {"CloseList", [](const Settings& a, const Settings& b) { return a.CloseList == b.CloseList; }},
      {"LanguageNames", [](const Settings& a, const Settings& b) { return a.LanguageNames == b.LanguageNames; }},
      {"StringTable", [](const Settings& a, const Settings& b) { return a.StringTable == b.StringTable; }},
  };
  return FirstDifference(kFields, a, b);
}

std::string_view FirstDifferentField(const FileRecord& a, const FileRecord& b) {
  static const Field<FileRecord> kFields[] = {
      {"FileName", [](const FileRecord& a, const FileRecord& b) { return a.FileName == b.FileName; }},
      {"Kind", [](const FileRecord& a, const FileRecord& b) { return a.Kind == b.Kind; }},
      {"FileFlags", [](const FileRecord& a, const FileRecord& b) { return a.FileFlags == b.FileFlags; }},
      {"Attributes", [](const FileRecord& a, const FileRecord& b) { return a.Attributes == b.Attributes; }},
      {"FileTime", [](const FileRecord& a, const FileRecord& b) { return a.FileTime == b.FileTime; }},
      {"Title", [](const FileRecord& a, const FileRecord& b) { return a.Title == b.Title; }},
      {"IconFile", [](const FileRecord& a, const FileRecord& b) { return a.IconFile == b.IconFile; }},
      {"Arguments", [](const FileRecord& a, const FileRecord& b) { return a.Arguments == b.Arguments; }},
      {"Destination", [](const FileRecord& a, const FileRecord& b) { return a.Destination == b.Destination; }},
      {"WorkingFolder", [](const FileRecord& a, const FileRecord& b) { return a.WorkingFolder == b.WorkingFolder; }},
      {"MsiUiLevel", [](const FileRecord& a, const FileRecord& b) { return a.MsiUiLevel == b.MsiUiLevel; }},
  };
  return FirstDifference(kFields, a, b);
}

}  // namespace ks::builder
