// EnablePrivilege and TakeOwnership.
#include "core/privilege.h"

#include <string>
#include <vector>

#include "core/file.h"
#include "core/handle.h"
#include "core/library_loader.h"
#include "core/wide.h"

namespace ks {
namespace {

UniqueHandle ProcessToken() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_ADJUST_PRIVILEGES, &token)) return {};
  return UniqueHandle(token);
}

// Sets one privilege and reports its state before, so that it can be put back.
bool AdjustPrivilege(HANDLE token, std::u16string_view name, bool enable, bool* was_enabled) {
  TOKEN_PRIVILEGES wanted{};
  if (!LookupPrivilegeValueW(nullptr, W(std::u16string(name)), &wanted.Privileges[0].Luid)) return false;
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  TOKEN_PRIVILEGES before{};
  DWORD size = sizeof before;
  if (!AdjustTokenPrivileges(token, FALSE, &wanted, sizeof before, &before, &size)) return false;
  if (GetLastError() == ERROR_NOT_ALL_ASSIGNED) return false;
  if (was_enabled)
    *was_enabled = before.PrivilegeCount == 0 ? enable : (before.Privileges[0].Attributes & SE_PRIVILEGE_ENABLED) != 0;
  return true;
}

}  // namespace

bool EnablePrivilege(std::u16string_view name, bool enable) {
  UniqueHandle token = ProcessToken();
  if (!token) return false;
  return AdjustPrivilege(token.get(), name, enable, nullptr);
}

DWORD TakeOwnership(std::u16string_view object, SE_OBJECT_TYPE type) {
  UniqueHandle token = ProcessToken();
  if (!token) return ERROR_NO_TOKEN;
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<uint8_t> user(size ? size : 1);
  if (!GetTokenInformation(token.get(), TokenUser, user.data(), DWORD(user.size()), &size)) return GetLastError();
  PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;

  using SetNamedSecurityInfoFn = DWORD(WINAPI*)(LPWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL);
  auto set_security = SystemProc<SetNamedSecurityInfoFn>(L"advapi32.dll", "SetNamedSecurityInfoW");
  if (!set_security) return ERROR_DLL_NOT_FOUND;

  // The privileges go back to how they were: start-up keeps the
  // take-ownership privilege enabled for the whole run.
  bool had_take = false, had_restore = false;
  bool took = AdjustPrivilege(token.get(), kTakeOwnershipPrivilege, true, &had_take);
  bool restored = AdjustPrivilege(token.get(), kRestorePrivilege, true, &had_restore);
  std::u16string name(object);
  DWORD result = set_security(const_cast<wchar_t*>(W(name)), type, OWNER_SECURITY_INFORMATION, sid, nullptr,
                              nullptr, nullptr);
  if (took && !had_take) AdjustPrivilege(token.get(), kTakeOwnershipPrivilege, false, nullptr);
  if (restored && !had_restore) AdjustPrivilege(token.get(), kRestorePrivilege, false, nullptr);
  SetLastError(result);
  return result;
}

DWORD TakeOwnership(std::string_view object, SE_OBJECT_TYPE type) { return TakeOwnership(PathFrom8Bit(object), type); }

}  // namespace ks
