// The installer settings: every field of the settings script, filled once by
// ReadSettings (engine) or by the project compiler (builder), then only read.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ks {

// 8-bit text (system/ANSI code page unless a field says UTF-8) and UTF-16 text.
using Text8 = std::string;
using TextW = std::u16string;
using Blob = std::string;  // opaque bytes (icons, pictures, licence texts)

// Three little-endian FILETIME values; all zero means "not set".
struct FileTimes {
  uint64_t creation = 0, last_access = 0, last_write = 0;
  bool IsSet() const { return creation || last_access || last_write; }
  bool operator==(const FileTimes&) const = default;
};

// OptionFlags bits.
enum : uint32_t {
  kOptMustUninstall = 0x1,
  kOptUninstallShortcut = 0x2,
  kOptUninstaller = 0x4,
  kOptZlibPayload = 0x20,
  kOptWriteLog = 0x40,
  kOptFolderPage = 0x80,
  kOptSingleInstance = 0x100,
  kOptSilentUninstall = 0x200,
  kOptReplaceFilesInUse = 0x800,  // a locked file may wait for the restart even when it is new
  kOptAddToPath = 0x1000,
  kOptRestartRequired = 0x4000,  // set at run time when a file waits for the restart
  kOptKeepBackground = 0x8000,
  kOptRequiredProduct = 0x10000,
  kOptVerifyFiles = 0x40000,
  kOptClearAttributes = 0x80000,
  kOptVerboseLog = 0x100000,
  kOptNoCancel = 0x200000,
  kOptNoFinishMessage = 0x400000,
  kOptPreBatchOption = 0x800000,
  kOptNoInstallTypeQuestion = 0x10000000,
  kOptNoMainWindow = 0x20000000,
  kOptConfirmFolder = 0x80000000,
};

// OptionFlags2 bits.
enum : uint32_t {
  kOpt2EngineChecksum = 0x1,
  kOpt2DesktopUninstallShortcut = 0x2,
  kOpt2StartMenuPage = 0x4,
  kOpt2SilentErrors = 0x8,
  kOpt2CompareVersions = 0x10,
  kOpt2NoNetworkPath = 0x20,
  kOpt2UninstallFolderShortcut = 0x40,  // an uninstaller shortcut in the uninstall data folder
  kOpt2Maximised = 0x100,
  kOpt2KeepFallbackTitle = 0x400,
  kOpt2NoGreeting = 0x800,
  kOpt2ConfirmUpgrade = 0x1000,
  kOpt2FixedProgressText = 0x20000,
  kOpt2FolderRights = 0x40000,
  kOpt2ProgressPage = 0x80000,
  kOpt2DialogIcons = 0x100000,
  kOpt2RefuseRemovable = 0x800000,
  kOpt2NoRegistrationOnRemovable = 0x1000000,
  kOpt2OfferLog = 0x2000000,
  kOpt2ExtraStartMenuShortcut = 0x8000000,
  kOpt2UpgradeBatchOption = 0x10000000,
  kOpt2ReinstallBatchOption = 0x20000000,
  kOpt2SharedFolderRights = 0x40000000,
  // Ours: exit codes that tell success, restart needed, cancel and failure
  // apart (as the /e atom does), for deployment tools.
  kOpt2DeploymentExitCodes = 0x80000000,
};

constexpr uint32_t kScriptEndMark = 0xD3E82B97;

// The ranges the reader checks; the writer and the builder keep to them.
constexpr int kMaxTexts = 20;             // LicenseTexts, ReadmeTexts
constexpr int kMaxListEntries = 1000;     // each counted or end-marked list
constexpr int kMaxMinStatusTime = 9999;
constexpr int kMaxBitmapSize = 100;       // percent
constexpr int kMaxLanguages = 200;
constexpr int kMaxStrings = 10000;        // StringTable rows
inline constexpr const char* kDeleteListEnd = "~~THE END~~";
inline constexpr const char* kCloseListEnd = "~~THE~END~~";

// A conditional deletion: the fields of a FileDeletion record.
struct DeleteEntry {
  Text8 path;          // pattern; folder variables and wildcards allowed
  uint8_t kind = 0;    // comparison kind (kCompareAlways ...)
  Text8 value;         // comparison value: a date or a size
  uint8_t flags = 0;   // kConditional... bits
  bool operator==(const DeleteEntry&) const = default;
};

// One FileAssociation, in stream order.
struct AssociationEntry {
  uint32_t AssocKind = 0;  // 0 set the type, 1 and make the verb the default, 2 only OpenWithProgids
  Text8 Extension;
  Text8 FileType;          // empty: the extension's type; "!" + name: that, else name
  Text8 TypeDescription;   // UTF-8
  Text8 Verb;
  Text8 VerbLabel;
  Text8 Command;
  TextW Language;          // empty: applies to every language
  Text8 IconPath;
  bool operator==(const AssociationEntry&) const = default;
};

// One ShortcutList entry, in stream order (see ShortcutRecord).
struct ShortcutEntry {
  Text8 Target;
  Text8 Name;  // UTF-8
  Text8 Icon;
  TextW Arguments;
  Text8 WorkingFolder;
  uint8_t OnDesktop = 0, InStartMenu = 0, InStartup = 0;
  Text8 OtherFolder;
  uint8_t WindowState = 0, KeepOnUninstall = 0;
  bool operator==(const ShortcutEntry&) const = default;
};

struct RegistryEntry {
  Text8 path;
  uint8_t type = 1;
  TextW value;
  bool operator==(const RegistryEntry&) const = default;
};

struct CloseEntry {
  Text8 window_class, window_title, program_name;
  uint8_t action = 0;
  uint8_t flags = 0;  // 0x1 during installation, 0x2 during uninstallation
  bool operator==(const CloseEntry&) const = default;
};

// Fields in script order; the comment gives the field number.
struct Settings {
  uint32_t OptionFlags = 0;                 // 1
  uint32_t OptionFlags2 = 0;                // 2
  uint8_t SilentMode = 0;                   // 3
  Text8 TaskbarText;                        // 4
  TextW DisplayTitle;                       // 5
  double TitleSize = 0;                     // 6
  uint32_t ProgressPosition = 0;            // 7
  uint16_t MinStatusTime = 0;               // 8
  uint8_t ShortcutMode = 0;                 // 9
  FileTimes UninstallerFileTimes;           // 10
  TextW Publisher;                          // 11
  TextW ProductName;                        // 12
  TextW ProductDescription;                 // 13
  uint8_t Bitness = 0;                      // 14
  uint8_t SharedFolderBase = 0;             // 15
  TextW SharedPath;                         // 16
  TextW SharedPathOnRemovable;              // 17
  TextW ProductStartMenu;                   // 18
  Text8 ProductVersion;                     // 19
  TextW DefaultInstallDir;                  // 20
  TextW ProductRegistry;                    // 21
  Text8 Registry2Text;                      // 22
  uint32_t BitmapSize = 0;                  // 23
  uint32_t StretchMode = 0;                 // 24
  Blob GreetingLink;                        // 25
  std::vector<Blob> LicenseTexts;           // 26
  std::vector<Blob> ReadmeTexts;            // 27
  TextW UninstallSubdir;                    // 28
  Text8 UninstallerFileName;                // 29
  TextW UninstallKeyName;                   // 30
  Text8 InstallDirRegistryValue;            // 31
  TextW BannerHeading;                      // 32
  uint8_t PictureFrame = 0;                 // 33
  uint32_t TitleColor = 0;                  // 34
  uint8_t TitleShadow = 0;                  // 35
  uint8_t TitlePosition = 0;                // 36
  Text8 TitleFont;                          // 37
  uint32_t TopColor = 0;                    // 38
  uint32_t BottomColor = 0;                 // 39
  Blob BackgroundPicture;                   // 40
  uint32_t BitmapTPI = 0;                   //    only when the picture is not empty
  uint8_t CopyrightPos = 0;                 // 41
  uint32_t CopyrightColor = 0;              //    the four only when CopyrightPos != 0
  double CopyrightSize = 0;
  TextW CopyrightText;
  TextW CopyrightFont;
  TextW RequiredProductKey;                 // 42, only with kOptRequiredProduct
  Text8 RequiredProductName;
  Text8 RequiredProductVersion;
  TextW DesktopFolder;                      // 43
  Blob DesktopFolderIcon;                   // 44
  Text8 PreInstallBatch, PostInstallBatch, ExitBatch;                          // 45
  Text8 UninstallBatch1, UninstallBatch2, UpgradeBatch, ReinstallBatch;        // 46
  std::array<uint8_t, 20> Reserved{};       // 47
  uint32_t ExcludedSystems = 0;             // 48
  uint8_t PayloadInFile = 0;                // 49
  Text8 FinishText1, FinishText2, FinishText3;                                 // 50
  TextW StartNotifyUrl, InstallNotifyUrl, UpgradeNotifyUrl, DowngradeNotifyUrl,
      ReinstallNotifyUrl, NotifyURL;        // 51
  Text8 ConfirmUpgradeBelow;                // 52
  Text8 NoDowngradeBelow;                   // 53
  TextW Password;                           // 54
  Text8 MustUninstallBelow;                 // 55
  TextW FirewallPrograms;                   // 56
  TextW AddToPathSubfolder;                 // 57
  uint64_t ExtraSpace = 0;                  // 58
  std::array<uint32_t, 8> DialogVariants{};
  Blob UninstallIcon;                       // 59, only with kOptUninstaller
  std::vector<DeleteEntry> DeleteList;      // 60
  std::vector<AssociationEntry> AssociationList;  // 61
  std::vector<ShortcutEntry> ShortcutList;  // 62
  TextW RootShortcutTarget;                 // 63
  Text8 RootShortcutName;
  TextW TaskbarPinTarget;
  TextW TaskbarPinName;
  std::vector<RegistryEntry> RegistryList;  // 64
  Blob SupportOffer;                        // 65
  Blob ProductIcon;                         // 66
  std::vector<CloseEntry> CloseList;        // 67
  std::vector<TextW> LanguageNames;         // 68/69 (LanguageCount = size)
  std::vector<std::vector<TextW>> StringTable;  // 70: [n][language]

  // Derived while reading (not stored in the stream).
  Text8 ProductName8;
  Text8 ProductDescription8;
  TextW ProductVersionW;
  int CurrentLanguage = 0;

  bool operator==(const Settings&) const = default;
};

}  // namespace ks
