// The firewall's COM objects, each call behind a guard: a crash in the
// firewall's own code is a result (27), never the end of the installation.
#include "install/firewall.h"

#include <windows.h>
#include <netfw.h>

#include <string>

#include "core/com_ptr.h"
#include "core/crash_guard.h"
#include "core/library_loader.h"
#include "core/wide.h"

namespace ks {
namespace {

constexpr GUID kNetFwMgr = {0x304CE942, 0x6E39, 0x40D8, {0x94, 0x3A, 0xB9, 0x13, 0xC4, 0x0C, 0x9C, 0xD4}};
constexpr GUID kINetFwMgr = {0xF7898AF5, 0xCAC4, 0x4632, {0xA2, 0xEC, 0xDA, 0x06, 0xE5, 0x11, 0x1A, 0xF2}};
constexpr GUID kNetFwOpenPort = {0x0CA545C6, 0x37AD, 0x4A6C, {0xBF, 0x92, 0x9F, 0x76, 0x10, 0x06, 0x7E, 0xF5}};
constexpr GUID kINetFwOpenPort = {0xE0483BA0, 0x47FF, 0x4D9C, {0xA6, 0xD6, 0x77, 0x41, 0xD0, 0xB1, 0x95, 0xF7}};
constexpr GUID kNetFwAuthorizedApplication = {
    0xEC9846B3, 0x2762, 0x4A6B, {0xA2, 0x14, 0x6A, 0xCB, 0x60, 0x34, 0x62, 0xD2}};
constexpr GUID kINetFwAuthorizedApplication = {
    0xB5E64FFA, 0xC2C5, 0x444E, {0xA3, 0x01, 0xFB, 0x5E, 0x00, 0x01, 0x80, 0x50}};

// The manager and policy live as long as the process: they are never
// released, because a release after OLE is gone would call into unloaded code.
struct Connection {
  INetFwMgr* manager = nullptr;
  INetFwPolicy* policy = nullptr;
  ComPtr<INetFwProfile> profile;
};
Connection& Current() {
  static Connection* connection = new Connection;
  return *connection;
}

// BSTR texts through oleaut32, which the engine loads only from the system folder.
class Bstr {
 public:
  explicit Bstr(std::u16string_view text) {
    static auto alloc = SystemProc<BSTR(WINAPI*)(const OLECHAR*, UINT)>(L"oleaut32.dll", "SysAllocStringLen");
    if (alloc) bstr_ = alloc(reinterpret_cast<const OLECHAR*>(text.data()), UINT(text.size()));
  }
  ~Bstr() {
    static auto free = SystemProc<void(WINAPI*)(BSTR)>(L"oleaut32.dll", "SysFreeString");
    if (bstr_ && free) free(bstr_);
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return bstr_; }

 private:
  BSTR bstr_ = nullptr;
};

// Runs `operation` behind the guard; a crash gives kFirewallCrashed.
template <typename Fn>
int Guarded(Fn operation) {
  int result = kFirewallCrashed;
  GuardedCall call = CallGuarded([&] { result = operation(); });
  return call.crashed ? int(kFirewallCrashed) : result;
}

bool AlreadyThere(HRESULT hr) { return hr == HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS); }
bool NotThere(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

}  // namespace

int FirewallConnect() {
  Connection& c = Current();
  return Guarded([&]() -> int {
    if (!c.manager &&
        FAILED(CoCreateInstance(kNetFwMgr, nullptr, CLSCTX_INPROC_SERVER, kINetFwMgr,
                                reinterpret_cast<void**>(&c.manager)))) {
      c.manager = nullptr;
      return kFirewallNoManager;
    }
    if (!c.policy && (FAILED(c.manager->get_LocalPolicy(&c.policy)) || !c.policy)) {
      c.policy = nullptr;
      return kFirewallNoPolicy;
    }
    if (FAILED(c.policy->get_CurrentProfile(c.profile.Put())) || !c.profile) {
      c.profile.Reset();
      return kFirewallNoProfile;
    }
    return kFirewallDone;
  });
}

void FirewallReleaseProfile() {
  Guarded([] {
    Current().profile.Reset();
    return 0;
  });
}

int FirewallOpenPort(long port, long protocol, std::u16string_view name) {
  Connection& c = Current();
  if (!c.profile) return kFirewallNotConnected;
  if (name.empty()) return kFirewallMissingArgument;
  ComPtr<INetFwOpenPorts> ports;
  ComPtr<INetFwOpenPort> item;
  Bstr text(name);
  return Guarded([&]() -> int {
    if (FAILED(c.profile->get_GloballyOpenPorts(ports.Put())) || !ports) return kFirewallNoOpenPorts;
    if (FAILED(CoCreateInstance(kNetFwOpenPort, nullptr, CLSCTX_INPROC_SERVER, kINetFwOpenPort, item.PutVoid())) ||
        !item)
      return kFirewallNoPortObject;
    if (FAILED(item->put_Port(port))) return kFirewallPortNotSet;
    if (FAILED(item->put_Protocol(NET_FW_IP_PROTOCOL(protocol)))) return kFirewallProtocolNotSet;
    if (!text.get() || FAILED(item->put_Name(text.get()))) return kFirewallNameNotSet;
    HRESULT hr = ports->Add(item.get());
    return SUCCEEDED(hr) || AlreadyThere(hr) ? kFirewallDone : kFirewallChangeFailed;
  });
}

int FirewallAuthorizeProgram(std::u16string_view path, std::u16string_view name) {
  Connection& c = Current();
  if (!c.profile) return kFirewallNotConnected;
  if (path.empty() || name.empty()) return kFirewallMissingArgument;
  ComPtr<INetFwAuthorizedApplications> programs;
  ComPtr<INetFwAuthorizedApplication> item;
  Bstr image(path), text(name);
  return Guarded([&]() -> int {
    if (FAILED(c.profile->get_AuthorizedApplications(programs.Put())) || !programs) return kFirewallNoApplications;
    if (FAILED(CoCreateInstance(kNetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                                kINetFwAuthorizedApplication, item.PutVoid())) ||
        !item)
      return kFirewallNoProgramObject;
    if (!image.get() || FAILED(item->put_ProcessImageFileName(image.get()))) return kFirewallPathNotSet;
    if (!text.get() || FAILED(item->put_Name(text.get()))) return kFirewallNameNotSet;
    HRESULT hr = programs->Add(item.get());
    return SUCCEEDED(hr) || AlreadyThere(hr) ? kFirewallDone : kFirewallChangeFailed;
  });
}

int FirewallRemovePort(long port, long protocol) {
  Connection& c = Current();
  if (!c.profile) return kFirewallNotConnected;
  ComPtr<INetFwOpenPorts> ports;
  return Guarded([&]() -> int {
    if (FAILED(c.profile->get_GloballyOpenPorts(ports.Put())) || !ports) return kFirewallNoOpenPorts;
    HRESULT hr = ports->Remove(port, NET_FW_IP_PROTOCOL(protocol));
    return SUCCEEDED(hr) || NotThere(hr) ? kFirewallDone : kFirewallChangeFailed;
  });
}

int FirewallRemoveProgram(std::u16string_view path) {
  Connection& c = Current();
  if (!c.profile) return kFirewallNotConnected;
  if (path.empty()) return kFirewallMissingArgument;
  ComPtr<INetFwAuthorizedApplications> programs;
  Bstr image(path);
  return Guarded([&]() -> int {
    if (FAILED(c.profile->get_AuthorizedApplications(programs.Put())) || !programs) return kFirewallNoApplications;
    if (!image.get()) return kFirewallPathNotSet;
    HRESULT hr = programs->Remove(image.get());
    return SUCCEEDED(hr) || NotThere(hr) ? kFirewallDone : kFirewallChangeFailed;
  });
}

}  // namespace ks
