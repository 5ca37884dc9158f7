// FullPath, ClearProtectiveAttributes and GrantEveryoneFullAccess.
#include "core/file_access.h"

#include <windows.h>
#include <aclapi.h>

#include <vector>

#include "core/wide.h"

namespace ks {

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

}  // namespace ks
