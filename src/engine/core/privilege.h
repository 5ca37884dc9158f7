// Token privileges and taking ownership of a file or registry key with the
// take-ownership and restore privileges.
#pragma once
#include <windows.h>
#include <accctrl.h>

#include <string_view>

namespace ks {

constexpr std::u16string_view kTakeOwnershipPrivilege = u"SeTakeOwnershipPrivilege";
constexpr std::u16string_view kRestorePrivilege = u"SeRestorePrivilege";

// Enables (or disables) a privilege of the process token. False when the
// token does not hold it (ERROR_NOT_ALL_ASSIGNED) or cannot be opened.
bool EnablePrivilege(std::u16string_view name, bool enable = true);

// Makes the process token's user the owner of `object`. Returns a system
// error code: 0, ERROR_NO_TOKEN without a token, ERROR_DLL_NOT_FOUND when
// SetNamedSecurityInfoW is not available, or the call's own failure.
DWORD TakeOwnership(std::u16string_view object, SE_OBJECT_TYPE type);
DWORD TakeOwnership(std::string_view object, SE_OBJECT_TYPE type);  // "|" + UTF-8, else ANSI

}  // namespace ks
