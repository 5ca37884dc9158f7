// Replacement at the restart and the clean-up of pending operations.
#include "install/files_in_use.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/file.h"
#include "core/file_access.h"
#include "core/registry_key.h"
#include "core/restart_move.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/folder_tree.h"
#include "portable/path_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

constexpr DWORD kRegisteredError = 170;  // ERROR_BUSY: the file stays in use until the restart

// The drive letter of "X:..." when no such drive is present; 0 otherwise.
char16_t MissingDrive(const std::u16string& path) {
  if (!HasDriveLetter(path)) return 0;
  char16_t letter = AsciiUpper(path[0]);
  return (GetLogicalDrives() & (1u << (letter - u'A'))) ? 0 : path[0];
}

// Creates a new temporary beside `destination` (else in the temporary folder)
// holding the data; empty with the system's error when none could be made.
std::u16string WriteTemporary(const FileWrite& w, ContentStream& content, DWORD& error) {
  // The delayed move works within one volume, so beside the file comes first.
  std::vector<std::u16string> folders;
  if (std::u16string beside = ParentFolder(w.destination); !beside.empty()) folders.push_back(beside);
  folders.push_back(TempFolder());
  error = ERROR_SUCCESS;
  for (const std::u16string& folder : folders) {
    std::u16string temp = TemporaryName(folder);
    if (temp.empty()) {
      error = GetLastError();
      continue;
    }
    File file;
    if (file.Open(temp, kOpenCreateNew | kOpenNoRead | kOpenNoSharingRetry) != FileError::kOk) {
      error = GetLastError();
      continue;
    }
    bool ok = content.Rewind() == 0;
    for (std::span<const uint8_t> piece; ok;) {
      ok = content.Read(piece) == 0;
      if (!ok || piece.empty()) break;
      ok = file.Write(piece.data(), int(piece.size()));
    }
    if (ok && w.times.IsSet()) ApplyFileTimes(file.Handle(), w.times);
    if (!ok) error = GetLastError() ? GetLastError() : DWORD(ERROR_WRITE_FAULT);
    file.Close();
    if (ok) return temp;
    // A copy that could not be written in full is worth nothing.
    DeleteFileW(W(temp));
    return {};
  }
  return {};
}

}  // namespace

bool RegisterForReplacement(const FileWrite& w, ContentStream& content, DWORD error, InstallContext& context,
                            InstallSink& sink) {
  std::u16string report = u"\r\n" + sink.Text(kMsgFileNotWritten) + u" " + w.destination + u"\r\n";
  const bool allowed =
      (w.existed || (context.OptionFlags & kOptReplaceFilesInUse)) && error != ERROR_INVALID_NAME;

  if (char16_t drive = MissingDrive(w.destination)) {
    report += u"Drive " + std::u16string(1, drive) + u": is not present.\r\n";
  } else {
    std::u16string error_text = SystemErrorText(error);
    if (!error_text.empty()) report += error_text + u"\r\n\r\n";
    if (allowed) {
      DWORD temp_error = ERROR_SUCCESS;
      std::u16string temp = WriteTemporary(w, content, temp_error);
      if (temp.empty()) {
        report += u"Failed to register '" + w.destination +
                  u"' for replacement because no temporary file could be created.\r\n" +
                  SystemErrorText(temp_error) + u"\r\n\r\n";
      } else {
        ClearProtectiveAttributes(temp);
        // Whoever the file belongs to after the restart may replace it again.
        GrantEveryoneFullAccess(temp);
        temp = FullPath(temp);
        if (MoveAtRestart(temp, w.destination, context.WindowsDir)) {
          context.OptionFlags |= kOptRestartRequired;
          sink.Log("\"" + Utf16ToUtf8(w.destination) + "\" was successfully registered for replacement.\r\n" +
                   "Temporary file is \"" + Utf16ToUtf8(temp) + "\"\r\nReboot will be required.\r\n\r\n");
          SetLastError(kRegisteredError);
          return true;
        }
        DWORD move_error = GetLastError();
        report += u"Failed to register '" + w.destination + u"' for replacement with temporary file '" + temp +
                  u"'\r\n" + SystemErrorText(move_error) + u"\r\n\r\n";
        DeleteFileW(W(temp));
      }
    }
  }
  sink.AddFailure(SystemCodePage().FromWide(report, '?'));
  return false;
}

void CleanPendingOperations(const WrittenSet& written, const PendingLog& log) {
  RegistryKey key;
  if (!Opened(key.Open(HKEY_LOCAL_MACHINE, U16(kSessionManagerKey), kRegOpenOnly | kRegNoStack, kRegReadWrite)))
    return;
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key.Handle(), kPendingRenamesValue, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      type != REG_MULTI_SZ || bytes < sizeof(wchar_t))
    return;
  std::u16string data(bytes / sizeof(char16_t) + 1, u'\0');
  if (RegQueryValueExW(key.Handle(), kPendingRenamesValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                       &bytes) != ERROR_SUCCESS)
    return;
  data.resize(bytes / sizeof(char16_t));
  std::vector<std::u16string> strings = SplitMultiString(data);
  if (strings.empty()) return;
  if (log) log("\r\n");

  PendingCleanup cleanup = KeepPendingRenames(PairStrings(strings), written, log);
  for (const std::u16string& source : cleanup.delete_sources) {
    SetFileAttributesW(W(source), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(W(source));
  }
  if (!cleanup.changed) return;
  std::u16string out = JoinMultiString(FlattenPairs(cleanup.kept));
  RegSetValueExW(key.Handle(), kPendingRenamesValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(out.data()),
                 DWORD(out.size() * sizeof(char16_t)));
}

}  // namespace ks
