// The folder variables: the fixed ordered table of names, their replacement in
// UTF-16 and 8-bit text over a value source, and the pure rules behind values.
#pragma once
#include <string>
#include <string_view>

namespace ks {

// Table positions, in replacement order.
enum VariableId : int {
  kVarAppDataAllDir,
  kVarAppDataDir,
  kVarBits,
  kVarBootDrive,
  kVarCommonDir,
  kVarCommonDir32,
  kVarCommonDir64,
  kVarDesktopAllDir,
  kVarDesktopDir,
  kVarDesktopShortcuts,
  kVarDeviceDir,
  kVarDocumentAllDir,
  kVarDocumentDir,
  kVarFavoritesAllDir,
  kVarFavoritesDir,
  kVarFontDir,
  kVarInetpub,
  kVarInstallDir,
  kVarInstallDrive,
  kVarInstallerDir,
  kVarInstallerDrive,
  kVarInstallerFilename,
  kVarInstallerFilepath,
  kVarMediaDir,
  kVarOldVersion,
  kVarOldVersionMajor,
  kVarOldVersionMinor,
  kVarProductName,
  kVarProgramsDir,
  kVarProgramsDir32,
  kVarProgramsDir64,
  kVarSharedDir,
  kVarSMProgramsAllDir,
  kVarSMProgramsDir,
  kVarStartMenuAllDir,
  kVarStartMenuChosen,
  kVarStartMenuDir,
  kVarStartupAllDir,
  kVarStartupDir,
  kVarSystemDir,
  kVarTemp,
  kVarUninstallDir,
  kVarVersion,
  kVarWinDir,
  kVariableCount
};

struct VariableName {
  const char* name;  // with both percent signs
  bool exact_case;   // matched only in exactly this letter case
};
extern const VariableName kVariables[kVariableCount];

// Where the values come from. Value(id) is asked at most once per call, and
// only for names that occur in the text.
class VariableSource {
 public:
  virtual ~VariableSource() = default;
  virtual std::u16string Value(int id) = 0;
};

// Replaces every table name in `text` by its value, entry after entry in table
// order. A value is not searched again for its own name, but later entries see
// it. Environment variables are not touched here.
void ReplaceVariables(std::u16string& text, VariableSource& source);
// The 8-bit twin: each value goes to the system code page before it is put in.
void ReplaceVariables(std::string& text, VariableSource& source);

// Pure rules of the values.

// Piece `index` (0 major, 1 minor) of a version split at "."; empty when the
// version has fewer pieces.
std::u16string VersionPiece(std::u16string_view version, int index);

// Program Files and Common Files modes.
enum : int {
  kFolderMode32 = 1,
  kFolderMode64 = 2,
  kFolderModeNative = 3,
  kFolderMode64WhereAvailable = 4,
};
// On 32-bit Windows every mode is the native one; on 64-bit Windows the
// 32-bit folder is this 32-bit process's native folder.
int NormaliseFolderMode(int mode, bool windows_is_64bit);
// Removes the first " (x86)" (this exact case) from a path.
std::u16string WithoutX86(std::u16string_view path);

// Joins with exactly one backslash: none after a drive colon, a name that
// begins with a backslash replaces the folder's trailing one, an empty name
// gives the folder.
std::u16string JoinFolder(std::u16string_view folder, std::u16string_view name);
// Everything before the last backslash, which stays after a drive colon
// ("C:\x" -> "C:\"); empty without a backslash.
std::u16string FolderOfPath(std::u16string_view path);
// Everything after the last backslash.
std::u16string FileNameOfPath(std::u16string_view path);
// One trailing backslash removed when the text is longer than a drive root.
std::u16string WithoutTrailingBackslash(std::u16string_view path);
// "D" for "d:\..."; empty when the path does not start with a drive letter.
std::u16string DriveLetterOf(std::u16string_view path);

// The "X:" of the boot volume from the setup key's BootDir ("C:" when it
// names no drive).
std::u16string BootDriveFromBootDir(std::u16string_view boot_dir);
// The first DevicePath entry with its first %SystemRoot% (any case) replaced
// by `system_root`; the entry stays as it is when `system_root` is empty.
std::u16string FirstDevicePath(std::u16string_view device_path, std::u16string_view system_root);
// The folder above the web root ("c:\Inetpub\wwwroot" -> "c:\Inetpub").
std::u16string InetpubFromWebRoot(std::u16string_view web_root);

}  // namespace ks
