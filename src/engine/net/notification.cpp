// Notification requests on background threads, through WinInet or, when
// that fails, the Winsock client.
#include "net/notification.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "core/fatal.h"
#include "core/handle.h"
#include "core/library_loader.h"
#include "core/wide.h"
#include "net/socket_http.h"
#include "portable/http_message.h"
#include "portable/text.h"

namespace ks {
namespace {

constexpr DWORD kOpenFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RESYNCHRONIZE | INTERNET_FLAG_NO_UI;
static_assert(kOpenFlags == 0x84000A00);
constexpr SocketTimeouts kTimeouts{};

struct WinInet {
  decltype(&::InternetOpenW) open = nullptr;
  decltype(&::InternetOpenUrlW) open_url = nullptr;
  decltype(&::InternetCloseHandle) close = nullptr;
  decltype(&::InternetSetOptionW) set_option = nullptr;
  HINTERNET session = nullptr;  // shared by every request; kept until the process ends
};

// One request: its address and its thread. The starter, the thread and the
// exit step each hold a reference; the last one out deletes it, so an exit
// that stops waiting never pulls the object from under a running thread.
class NotificationRequest {
 public:
  explicit NotificationRequest(std::u16string address) : address_(std::move(address)) {}
  void AddRef() { InterlockedIncrement(&references_); }
  void Release() {
    if (InterlockedDecrement(&references_) == 0) delete this;
  }
  const std::u16string& address() const { return address_; }
  UniqueHandle thread;

 private:
  ~NotificationRequest() = default;
  LONG references_ = 1;
  std::u16string address_;
};

struct NotificationState {
  NotificationFirewall firewall;
  bool firewall_added = false;
  std::u16string program;
  bool wininet_tried = false;
  WinInet wininet;
  bool exit_step_added = false;
  std::vector<NotificationRequest*> running;  // the exit step's references
};

NotificationState& State() {
  static NotificationState state;
  return state;
}

void OpenWinInet(WinInet& w) {
  LoadSystemLibrary(L"rasapi32.dll");  // WinInet's dial-up companion; may be absent
  const wchar_t* dll = L"wininet.dll";
  w.open = SystemProc<decltype(w.open)>(dll, "InternetOpenW");
  w.open_url = SystemProc<decltype(w.open_url)>(dll, "InternetOpenUrlW");
  w.close = SystemProc<decltype(w.close)>(dll, "InternetCloseHandle");
  w.set_option = SystemProc<decltype(w.set_option)>(dll, "InternetSetOptionW");
  if (!w.open || !w.open_url || !w.close || !w.set_option) return;
  w.session = w.open(L"Keldwick Setup", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!w.session) return;
  // A server that accepts and never answers must not hold the request for good.
  for (auto [option, ms] : {std::pair{INTERNET_OPTION_CONNECT_TIMEOUT, kTimeouts.connect_ms},
                            {INTERNET_OPTION_SEND_TIMEOUT, kTimeouts.send_ms},
                            {INTERNET_OPTION_RECEIVE_TIMEOUT, kTimeouts.receive_ms}}) {
    DWORD value = ms;
    w.set_option(w.session, option, &value, sizeof(value));
  }
}

bool RequestThroughWinInet(const std::u16string& address) {
  const WinInet& w = State().wininet;
  if (!w.session) return false;
  HINTERNET request = w.open_url(w.session, W(address), L"Accept: */*\r\n", DWORD(-1), kOpenFlags, 0);
  if (!request) return false;
  w.close(request);  // the answer is of no use
  return true;
}

DWORD WINAPI RequestThread(void* parameter) {
  auto* request = static_cast<NotificationRequest*>(parameter);
  const std::u16string& address = request->address();
  if (!RequestThroughWinInet(address) && address.compare(0, 4, u"http") == 0)
    SocketHttpGet(Utf16ToUtf8(address), kTimeouts);
  request->Release();
  return 0;
}

std::u16string OwnProgram() {
  wchar_t path[1024];
  DWORD n = GetModuleFileNameW(nullptr, path, 1024);
  return n == 0 || n >= 1024 ? std::u16string() : U16(path, n);
}

}  // namespace

void SetNotificationFirewall(NotificationFirewall firewall) { State().firewall = firewall; }

void StartNotification(std::u16string_view address, std::u16string_view version) {
  if (address.empty()) return;
  NotificationState& state = State();
  if (!state.wininet_tried) {
    state.wininet_tried = true;
    OpenWinInet(state.wininet);
  }
  if (!state.firewall_added && state.firewall.authorize) {
    state.program = OwnProgram();
    if (!state.program.empty() && state.firewall.authorize(state.program, kNotificationFirewallName))
      state.firewall_added = true;
  }
  if (!state.exit_step_added) {
    state.exit_step_added = AddExitStep([] { FinishNotifications(); });
  }
  auto* request = new NotificationRequest(ReplaceVersionPlaceholder(address, version));
  request->AddRef();  // the thread's
  request->thread.reset(CreateThread(nullptr, 0, RequestThread, request, CREATE_SUSPENDED, nullptr));
  if (!request->thread) {
    request->Release();
    request->Release();
    return;
  }
  SetThreadPriority(request->thread.get(), THREAD_PRIORITY_NORMAL);
  request->AddRef();  // the exit step's
  state.running.push_back(request);
  ResumeThread(request->thread.get());
  request->Release();
}

void NotifyAfterUninstall(std::u16string_view url, std::u16string_view version) { StartNotification(url, version); }

bool FinishNotifications(unsigned limit_ms) {
  NotificationState& state = State();
  ULONGLONG deadline = GetTickCount64() + limit_ms;
  bool all_ended = true;
  for (NotificationRequest* request : state.running) {
    ULONGLONG now = GetTickCount64();
    DWORD left = now >= deadline ? 0 : DWORD(deadline - now);
    if (WaitForSingleObject(request->thread.get(), left) != WAIT_OBJECT_0) all_ended = false;
    request->Release();
  }
  state.running.clear();
  if (state.firewall_added) {
    state.firewall_added = false;
    if (state.firewall.remove) state.firewall.remove(state.program);
  }
  return all_ended;
}

}  // namespace ks
