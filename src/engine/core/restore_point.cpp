// BeginRestorePoint, EndRestorePoint and InitializeComSecurity.
#include "core/restore_point.h"

#include <windows.h>
#include <objbase.h>
#include <srrestoreptapi.h>

#include <cwchar>
#include <memory>
#include <vector>

#include "core/library_loader.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "portable/decimal_text.h"
#include "portable/text.h"

namespace ks {
namespace {

bool com_security_done = false;

struct SidDeleter {
  void operator()(PSID sid) const { FreeSid(sid); }
};

std::u16string Format(const std::string& head, const std::u16string& text) { return Widen(head) + text; }

}  // namespace

std::u16string InitializeComSecurity() {
  if (com_security_done) return {};

  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr, local_service = nullptr, network_service = nullptr, self = nullptr, system = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins))
    return u"Unable to create admin SID.";
  std::unique_ptr<void, SidDeleter> own_admins(admins);
  if (!AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SERVICE_RID, 0, 0, 0, 0, 0, 0, 0, &local_service))
    return u"Unable to create local service SID.";
  std::unique_ptr<void, SidDeleter> own_local(local_service);
  if (!AllocateAndInitializeSid(&nt, 1, SECURITY_NETWORK_SERVICE_RID, 0, 0, 0, 0, 0, 0, 0, &network_service))
    return u"Unable to create network service SID.";
  std::unique_ptr<void, SidDeleter> own_network(network_service);
  if (!AllocateAndInitializeSid(&nt, 1, SECURITY_PRINCIPAL_SELF_RID, 0, 0, 0, 0, 0, 0, 0, &self))
    return u"Unable to create self SID.";
  std::unique_ptr<void, SidDeleter> own_self(self);
  if (!AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system))
    return u"Unable to create local system SID.";
  std::unique_ptr<void, SidDeleter> own_system(system);

  PSID sids[] = {admins, local_service, network_service, self, system};
  DWORD acl_size = sizeof(ACL);
  for (PSID sid : sids) acl_size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
  std::vector<uint8_t> acl_bytes(acl_size);
  auto acl = reinterpret_cast<PACL>(acl_bytes.data());
  bool acl_ok = InitializeAcl(acl, acl_size, ACL_REVISION);
  for (PSID sid : sids)
    acl_ok = acl_ok && AddAccessAllowedAce(acl, ACL_REVISION, COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL, sid);
  if (!acl_ok) return u"Unable to create ACL.";

  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION))
    return u"Unable to create security descriptor.";
  if (!SetSecurityDescriptorOwner(&descriptor, admins, FALSE)) return u"Unable to set owner.";
  if (!SetSecurityDescriptorGroup(&descriptor, admins, FALSE)) return u"Unable to set group.";
  if (!SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) return u"Unable to set ACL.";

  HRESULT hr = CoInitializeSecurity(&descriptor, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                                    RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_DISABLE_AAA | EOAC_NO_CUSTOM_MARSHAL,
                                    nullptr);
  // Security can be set once per process; a second restore point in the same
  // run finds it set already, which is all it needs.
  if (FAILED(hr) && hr != RPC_E_TOO_LATE) return Format("Error 0x" + HexText(unsigned(hr), 8) + ": ", SystemErrorText(DWORD(hr)));
  com_security_done = true;
  return {};
}

bool RestorePointClient::Begin(std::u16string_view description, std::u16string* message) {
  std::u16string ignored;
  std::u16string& out = message ? *message : ignored;
  out.clear();

  std::u16string security = InitializeComSecurity();
  if (!security.empty()) {
    out = u"Failed to initialize COM security: " + security;
    return false;
  }
  if (!library_tried_) {
    library_tried_ = true;
    library_ = LoadSystemLibrary(library_name_);
    if (library_)
      set_point_ = reinterpret_cast<SetRestorePointFn>(
          reinterpret_cast<void*>(GetProcAddress(library_, "SRSetRestorePointW")));
  }
  if (!library_) {
    out = u"System Restore is not present.";
    return false;
  }
  if (!set_point_) {
    out = u"SRSetRestorePointW is not present.";
    return false;
  }

  RESTOREPOINTINFOW info{};
  info.dwEventType = BEGIN_SYSTEM_CHANGE;
  info.dwRestorePtType = APPLICATION_INSTALL;
  info.llSequenceNumber = 0;
  size_t length = description.size() < 255 ? description.size() : 255;
  wmemcpy(info.szDescription, reinterpret_cast<const wchar_t*>(description.data()), length);
  info.szDescription[length] = L'\0';
  STATEMGRSTATUS status{};
  if (set_point_(&info, &status)) {
    sequence_ = status.llSequenceNumber;
    return true;
  }
  if (status.nStatus == ERROR_SERVICE_DISABLED) {
    out = u"System Restore is turned off.";
  } else {
    out = Format("Failed, code " + std::to_string(unsigned(status.nStatus)) + ": ", SystemErrorText(status.nStatus));
  }
  SetLastError(status.nStatus);
  return false;
}

bool RestorePointClient::End() {
  if (sequence_ == 0 || !set_point_) return false;
  RESTOREPOINTINFOW info{};
  info.dwEventType = END_SYSTEM_CHANGE;
  info.dwRestorePtType = APPLICATION_INSTALL;
  info.llSequenceNumber = sequence_;
  sequence_ = 0;
  STATEMGRSTATUS status{};
  return set_point_(&info, &status) != FALSE;
}

namespace {

RestorePointClient& ProcessClient() {
  static RestorePointClient client;
  return client;
}

}  // namespace

bool BeginRestorePoint(std::u16string_view description, std::u16string* message) {
  return ProcessClient().Begin(description, message);
}

bool EndRestorePoint() { return ProcessClient().End(); }

}  // namespace ks
