// Existence tests, FullPath, ClearProtectiveAttributes and the grants of access to Everyone.
#include "core/file_access.h"

#include <windows.h>
#include <aclapi.h>

#include <vector>

#include "core/handle.h"
#include "core/wide.h"

namespace ks {

bool PathExists(std::u16string_view path) {
  return GetFileAttributesW(W(std::u16string(path))) != INVALID_FILE_ATTRIBUTES;
}

bool FolderExists(std::u16string_view path) {
  DWORD attributes = GetFileAttributesW(W(std::u16string(path)));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::u16string FullPath(const std::u16string& path) {
  DWORD n = GetFullPathNameW(W(path), 0, nullptr, nullptr);
  if (!n) return path;
  std::vector<wchar_t> buffer(n);
  DWORD got = GetFullPathNameW(W(path), n, buffer.data(), nullptr);
  return got && got < n ? U16(buffer.data(), got) : path;
}

void ClearProtectiveAttributes(const std::u16string& path) {
  constexpr DWORD kProtective = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  DWORD attributes = GetFileAttributesW(W(path));
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & kProtective)) return;
  attributes &= ~kProtective;
  SetFileAttributesW(W(path), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
}

unsigned long GrantEveryoneAccess(const std::u16string& path, unsigned long inheritance) {
  PACL old_acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::u16string name = path;
  DWORD status = GetNamedSecurityInfoW(const_cast<wchar_t*>(W(name)), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                       nullptr, nullptr, &old_acl, nullptr, &descriptor);
  if (status != ERROR_SUCCESS) return status;
  BYTE sid_buffer[SECURITY_MAX_SID_SIZE];
  DWORD sid_size = sizeof sid_buffer;
  PSID everyone = sid_buffer;
  if (!CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sid_size)) {
    status = GetLastError();
  } else {
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = inheritance;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    PACL new_acl = nullptr;
    status = SetEntriesInAclW(1, &access, old_acl, &new_acl);
    if (status == ERROR_SUCCESS) {
      status = SetNamedSecurityInfoW(const_cast<wchar_t*>(W(name)), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                     nullptr, nullptr, new_acl, nullptr);
      LocalFree(new_acl);
    }
  }
  LocalFree(descriptor);
  return status;
}

void GrantEveryoneFullAccess(const std::u16string& path) { GrantEveryoneAccess(path, NO_INHERITANCE); }

bool WriteWholeFile(const std::u16string& path, std::string_view bytes) {
  UniqueHandle file(CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  if (bytes.empty()) return true;
  DWORD written = 0;
  if (WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size())
    return true;
  // No partial file stays under the name.
  DWORD error = written != bytes.size() && GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL : GetLastError();
  file.reset();
  DeleteFileW(W(path));
  SetLastError(error);
  return false;
}

}  // namespace ks
