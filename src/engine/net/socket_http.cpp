// The HTTP/1.1 client over Winsock. The library is loaded from the system
// folder at run time, like every library outside the known set.
#include "net/socket_http.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>

#include "core/library_loader.h"
#include "portable/http_message.h"

namespace ks {
namespace {

struct Winsock {
  decltype(&::WSAStartup) startup = nullptr;
  decltype(&::getaddrinfo) resolve = nullptr;
  decltype(&::freeaddrinfo) free_info = nullptr;
  decltype(&::socket) open = nullptr;
  decltype(&::connect) connect = nullptr;
  decltype(&::select) select = nullptr;
  decltype(&::send) send = nullptr;
  decltype(&::recv) recv = nullptr;
  decltype(&::closesocket) close = nullptr;
  decltype(&::setsockopt) set_option = nullptr;
  decltype(&::getsockopt) get_option = nullptr;
  decltype(&::ioctlsocket) ioctl = nullptr;
  decltype(&::WSAGetLastError) last_error = nullptr;
  bool ready = false;
};

const Winsock& Library() {
  static const Winsock ws = [] {
    Winsock w;
    const wchar_t* dll = L"ws2_32.dll";
    w.startup = SystemProc<decltype(w.startup)>(dll, "WSAStartup");
    w.resolve = SystemProc<decltype(w.resolve)>(dll, "getaddrinfo");
    w.free_info = SystemProc<decltype(w.free_info)>(dll, "freeaddrinfo");
    w.open = SystemProc<decltype(w.open)>(dll, "socket");
    w.connect = SystemProc<decltype(w.connect)>(dll, "connect");
    w.select = SystemProc<decltype(w.select)>(dll, "select");
    w.send = SystemProc<decltype(w.send)>(dll, "send");
    w.recv = SystemProc<decltype(w.recv)>(dll, "recv");
    w.close = SystemProc<decltype(w.close)>(dll, "closesocket");
    w.set_option = SystemProc<decltype(w.set_option)>(dll, "setsockopt");
    w.get_option = SystemProc<decltype(w.get_option)>(dll, "getsockopt");
    w.ioctl = SystemProc<decltype(w.ioctl)>(dll, "ioctlsocket");
    w.last_error = SystemProc<decltype(w.last_error)>(dll, "WSAGetLastError");
    bool all = w.startup && w.resolve && w.free_info && w.open && w.connect && w.select && w.send && w.recv &&
               w.close && w.set_option && w.get_option && w.ioctl && w.last_error;
    WSADATA data;
    w.ready = all && w.startup(MAKEWORD(2, 2), &data) == 0;  // kept until the process ends
    return w;
  }();
  return ws;
}

class Socket {
 public:
  explicit Socket(SOCKET s) : s_(s) {}
  ~Socket() {
    if (s_ != INVALID_SOCKET) Library().close(s_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  SOCKET get() const { return s_; }

 private:
  SOCKET s_;
};

// A connection within `timeout_ms`, then blocking with send and receive time-outs.
bool ConnectWithin(const Winsock& ws, SOCKET s, const addrinfo* a, const SocketTimeouts& t) {
  u_long on = 1, off = 0;
  if (ws.ioctl(s, FIONBIO, &on) != 0) return false;
  if (ws.connect(s, a->ai_addr, int(a->ai_addrlen)) != 0 && ws.last_error() != WSAEWOULDBLOCK) return false;
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  timeval wait{LONG(t.connect_ms / 1000), LONG(t.connect_ms % 1000 * 1000)};
  // select leaves only the ready sockets in each set.
  if (ws.select(0, nullptr, &writable, &failed, &wait) < 1 || writable.fd_count != 1) return false;
  int error = 0, size = sizeof(error);
  if (ws.get_option(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 || error != 0)
    return false;
  if (ws.ioctl(s, FIONBIO, &off) != 0) return false;
  DWORD send_ms = t.send_ms, receive_ms = t.receive_ms;
  ws.set_option(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&send_ms), sizeof(send_ms));
  ws.set_option(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&receive_ms), sizeof(receive_ms));
  return true;
}

bool SendAll(const Winsock& ws, SOCKET s, const std::string& text) {
  size_t sent = 0;
  while (sent < text.size()) {
    int n = ws.send(s, text.data() + sent, int(text.size() - sent), 0);
    if (n <= 0) return false;
    sent += size_t(n);
  }
  return true;
}

// One request on a fresh connection; the answer's head, or false.
bool Exchange(const Winsock& ws, const std::string& method, const HttpUrl& url, const SocketTimeouts& t,
              HttpResponseHead& head) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  std::string port = std::to_string(url.port);
  if (ws.resolve(url.host.c_str(), port.c_str(), &hints, &found) != 0 || !found) return false;
  std::unique_ptr<addrinfo, decltype(ws.free_info)> list(found, ws.free_info);
  for (const addrinfo* a = found; a; a = a->ai_next) {
    Socket s(ws.open(a->ai_family, a->ai_socktype, a->ai_protocol));
    if (s.get() == INVALID_SOCKET || !ConnectWithin(ws, s.get(), a, t)) continue;
    if (!SendAll(ws, s.get(), HttpRequestText(method, url))) return false;
    std::string received;
    char buffer[4096];
    while (true) {
      int n = ws.recv(s.get(), buffer, sizeof(buffer), 0);
      if (n <= 0) return false;  // closed, failed or timed out before the head was whole
      received.append(buffer, size_t(n));
      switch (ParseHttpResponseHead(received, head)) {
        case HttpHeadParse::kComplete: return true;
        case HttpHeadParse::kBad: return false;
        case HttpHeadParse::kNeedMore: break;
      }
    }
  }
  return false;
}

}  // namespace

bool SocketHttpGet(const std::string& address, const SocketTimeouts& timeouts) {
  auto url = ParseHttpUrl(address);
  if (!url || url->https) return false;  // no TLS on this road
  const Winsock& ws = Library();
  if (!ws.ready) return false;
  HttpExchange exchange("GET", *url);
  while (true) {
    HttpResponseHead head;
    if (!Exchange(ws, exchange.method(), exchange.url(), timeouts, head)) return false;
    HttpNext next = exchange.Answer(head);
    if (next.kind == HttpNext::kDone) return true;
    if (next.url.https) return true;  // answered; the next hop needs TLS
  }
}

}  // namespace ks
