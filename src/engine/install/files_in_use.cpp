// Replacement at the restart and the clean-up of pending operations.
#include "install/files_in_use.h"

#include <aclapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/file.h"
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
  if (path.size() < 2 || path[1] != u':') return 0;
  char16_t letter = AsciiUpper(path[0]);
  if (letter < u'A' || letter > u'Z') return 0;
  return (GetLogicalDrives() & (1u << (letter - u'A'))) ? 0 : path[0];
}

std::u16string FullPath(const std::u16string& path) {
  DWORD n = GetFullPathNameW(W(path), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::vector<wchar_t> buffer(n);
  DWORD got = GetFullPathNameW(W(path), n, buffer.data(), nullptr);
  return got && got < n ? U16(buffer.data(), got) : path;
}

// Whoever the file belongs to after the restart may replace it again.
void GrantEveryoneFullAccess(const std::u16string& path) {
  PACL old_acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::u16string name = path;
  if (GetNamedSecurityInfoW(const_cast<wchar_t*>(W(name)), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &old_acl, nullptr, &descriptor) != ERROR_SUCCESS)
    return;
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    PACL new_acl = nullptr;
    if (SetEntriesInAclW(1, &access, old_acl, &new_acl) == ERROR_SUCCESS) {
      SetNamedSecurityInfoW(const_cast<wchar_t*>(W(name)), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, new_acl, nullptr);
      LocalFree(new_acl);
    }
    FreeSid(everyone);
  }
  LocalFree(descriptor);
}

// Creates a new temporary beside `destination` (else in the temporary folder)
// holding the data; empty with the system's error when none could be made.
std::u16string WriteTemporary(const FileWrite& w, DWORD& error) {
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
    bool ok = true;
    for (int64_t done = 0; ok && done < w.size;) {
      int piece = int(std::min<int64_t>(w.size - done, kFileWritePiece));
      ok = file.Write(w.data + done, piece);
      done += piece;
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

bool RegisterForReplacement(const FileWrite& w, DWORD error, InstallContext& context, InstallSink& sink) {
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
      std::u16string temp = WriteTemporary(w, temp_error);
      if (temp.empty()) {
        report += u"Failed to register '" + w.destination +
                  u"' for replacement because no temporary file could be created.\r\n" +
                  SystemErrorText(temp_error) + u"\r\n\r\n";
      } else {
        DWORD attributes = GetFileAttributesW(W(temp));
        const DWORD protective = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & protective))
          SetFileAttributesW(W(temp), attributes & ~protective);
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
