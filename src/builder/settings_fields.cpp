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

// One entry per field: its name and a comparison of that field alone.
#define KS_SETTING(f) Field<Settings>{#f, [](const Settings& a, const Settings& b) { return a.f == b.f; }}
#define KS_RECORD(f) Field<FileRecord>{#f, [](const FileRecord& a, const FileRecord& b) { return a.f == b.f; }}

// Script order, so that the first difference is the first field a reader meets.
const Field<Settings> kSettingsFields[] = {
    KS_SETTING(OptionFlags), KS_SETTING(OptionFlags2), KS_SETTING(SilentMode), KS_SETTING(TaskbarText),
    KS_SETTING(DisplayTitle), KS_SETTING(TitleSize), KS_SETTING(ProgressPosition), KS_SETTING(MinStatusTime),
    KS_SETTING(ShortcutMode), KS_SETTING(UninstallerFileTimes), KS_SETTING(Publisher), KS_SETTING(ProductName),
    KS_SETTING(ProductDescription), KS_SETTING(Bitness), KS_SETTING(SharedFolderBase), KS_SETTING(SharedPath),
    KS_SETTING(SharedPathOnRemovable), KS_SETTING(ProductStartMenu), KS_SETTING(ProductVersion),
    KS_SETTING(DefaultInstallDir), KS_SETTING(ProductRegistry), KS_SETTING(Registry2Text), KS_SETTING(BitmapSize),
    KS_SETTING(StretchMode), KS_SETTING(GreetingLink), KS_SETTING(LicenseTexts), KS_SETTING(ReadmeTexts),
    KS_SETTING(UninstallSubdir), KS_SETTING(UninstallerFileName), KS_SETTING(UninstallKeyName),
    KS_SETTING(InstallDirRegistryValue), KS_SETTING(BannerHeading), KS_SETTING(PictureFrame), KS_SETTING(TitleColor),
    KS_SETTING(TitleShadow), KS_SETTING(TitlePosition), KS_SETTING(TitleFont), KS_SETTING(TopColor),
    KS_SETTING(BottomColor), KS_SETTING(BackgroundPicture), KS_SETTING(BitmapTPI), KS_SETTING(CopyrightPos),
    KS_SETTING(CopyrightColor), KS_SETTING(CopyrightSize), KS_SETTING(CopyrightText), KS_SETTING(CopyrightFont),
    KS_SETTING(RequiredProductKey), KS_SETTING(RequiredProductName), KS_SETTING(RequiredProductVersion),
    KS_SETTING(DesktopFolder), KS_SETTING(DesktopFolderIcon), KS_SETTING(PreInstallBatch),
    KS_SETTING(PostInstallBatch), KS_SETTING(ExitBatch), KS_SETTING(UninstallBatch1), KS_SETTING(UninstallBatch2),
    KS_SETTING(UpgradeBatch), KS_SETTING(ReinstallBatch), KS_SETTING(Reserved), KS_SETTING(ExcludedSystems),
    KS_SETTING(PayloadInFile), KS_SETTING(FinishText1), KS_SETTING(FinishText2), KS_SETTING(FinishText3),
    KS_SETTING(StartNotifyUrl), KS_SETTING(InstallNotifyUrl), KS_SETTING(UpgradeNotifyUrl),
    KS_SETTING(DowngradeNotifyUrl), KS_SETTING(ReinstallNotifyUrl), KS_SETTING(NotifyURL),
    KS_SETTING(ConfirmUpgradeBelow), KS_SETTING(NoDowngradeBelow), KS_SETTING(Password),
    KS_SETTING(MustUninstallBelow), KS_SETTING(FirewallPrograms), KS_SETTING(AddToPathSubfolder),
    KS_SETTING(ExtraSpace), KS_SETTING(DialogVariants), KS_SETTING(UninstallIcon), KS_SETTING(DeleteList),
    KS_SETTING(AssociationList), KS_SETTING(ShortcutList), KS_SETTING(RootShortcutTarget),
    KS_SETTING(RootShortcutName), KS_SETTING(TaskbarPinTarget), KS_SETTING(TaskbarPinName), KS_SETTING(RegistryList),
    KS_SETTING(SupportOffer), KS_SETTING(ProductIcon), KS_SETTING(CloseList), KS_SETTING(LanguageNames),
    KS_SETTING(StringTable),
};

const Field<FileRecord> kRecordFields[] = {
    KS_RECORD(FileName), KS_RECORD(Kind), KS_RECORD(FileFlags), KS_RECORD(Attributes), KS_RECORD(FileTime),
    KS_RECORD(Title), KS_RECORD(IconFile), KS_RECORD(Arguments), KS_RECORD(Destination), KS_RECORD(WorkingFolder),
    KS_RECORD(MsiUiLevel),
};

#undef KS_SETTING
#undef KS_RECORD

}  // namespace

std::string_view FirstDifferentField(const Settings& a, const Settings& b) {
  return FirstDifference(kSettingsFields, a, b);
}

std::string_view FirstDifferentField(const FileRecord& a, const FileRecord& b) {
  return FirstDifference(kRecordFields, a, b);
}

}  // namespace ks::builder
