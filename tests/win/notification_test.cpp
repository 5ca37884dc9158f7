// Notification requests against a listener in the test: the firewall entry
// around a request, the uninstall address with its version, an empty address,
// and the Winsock client's time-outs.
#include "net/notification.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/wide.h"
#include "net/socket_http.h"
#include "portable/text.h"

namespace ks {
namespace {

std::vector<std::string> g_firewall;  // changed only on the test's thread

bool RecordAuthorize(std::u16string_view program, std::u16string_view name) {
  g_firewall.push_back("add " + Utf16ToUtf8(program) + " | " + Utf16ToUtf8(name));
  return true;
}
void RecordRemove(std::u16string_view program) { g_firewall.push_back("remove " + Utf16ToUtf8(program)); }

std::string OwnPath() {
  wchar_t path[1024];
  return Utf16ToUtf8(U16(path, GetModuleFileNameW(nullptr, path, 1024)));
}

// A loopback socket that accepts connections on a port of its own.
class Listener {
 public:
  Listener() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s_, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    listen(s_, 4);
    int size = sizeof(a);
    getsockname(s_, reinterpret_cast<sockaddr*>(&a), &size);
    port_ = ntohs(a.sin_port);
  }
  ~Listener() {
    for (SOCKET c : accepted_) closesocket(c);
    closesocket(s_);
    WSACleanup();
  }
  std::u16string Url(const std::string& path) const {
    return Utf8ToUtf16("http://127.0.0.1:" + std::to_string(port_) + path);
  }
  // The next connection within `ms`, or INVALID_SOCKET.
  SOCKET Accept(unsigned ms) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(s_, &ready);
    timeval wait{LONG(ms / 1000), LONG(ms % 1000 * 1000)};
    if (select(0, &ready, nullptr, nullptr, &wait) != 1) return INVALID_SOCKET;
    SOCKET c = accept(s_, nullptr, nullptr);
    if (c != INVALID_SOCKET) accepted_.push_back(c);
    return c;
  }

 private:
  SOCKET s_ = INVALID_SOCKET;
  int port_ = 0;
  std::vector<SOCKET> accepted_;
};

std::string ReadHead(SOCKET c) {
  DWORD ms = 10000;
  setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
  std::string head;
  char buffer[1024];
  while (head.find("\r\n\r\n") == std::string::npos) {
    int n = recv(c, buffer, sizeof(buffer), 0);
    if (n <= 0) break;
    head.append(buffer, size_t(n));
  }
  return head;
}

TEST(Notification, FirewallEntryLivesWhileTheUninstallAddressIsRequested) {
  Listener listener;
  g_firewall.clear();
  SetNotificationFirewall({RecordAuthorize, RecordRemove});
  NotifyAfterUninstall(listener.Url("/gone/%Version%?v=%VERSION%"), u"3.1");
  const std::string added = "add " + OwnPath() + " | Keldwick Setup Installer";
  EXPECT_EQ(g_firewall, std::vector<std::string>{added});

  SOCKET c = listener.Accept(20000);
  ASSERT_NE(c, INVALID_SOCKET);
  std::string head = ReadHead(c);
  EXPECT_EQ(head.substr(0, head.find("\r\n")), "GET /gone/3.1?v=3.1 HTTP/1.1");
  // Still authorised while the answer is outstanding.
  EXPECT_EQ(g_firewall, std::vector<std::string>{added});
  const char answer[] = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  send(c, answer, int(sizeof(answer) - 1), 0);
  shutdown(c, SD_SEND);

  EXPECT_TRUE(FinishNotifications(30000));
  EXPECT_EQ(g_firewall, (std::vector<std::string>{added, "remove " + OwnPath()}));
  // Finished once: a second finish removes nothing more.
  EXPECT_TRUE(FinishNotifications(0));
  EXPECT_EQ(g_firewall.size(), 2u);
  SetNotificationFirewall({});
}

TEST(Notification, EmptyAddressStartsNothingAndAddsNoFirewallEntry) {
  g_firewall.clear();
  SetNotificationFirewall({RecordAuthorize, RecordRemove});
  StartNotification(u"", u"1.0");
  NotifyAfterUninstall(u"", u"1.0");
  EXPECT_TRUE(FinishNotifications(0));
  EXPECT_EQ(g_firewall, std::vector<std::string>{});
  SetNotificationFirewall({});
}

TEST(SocketHttp, ServerThatNeverAnswersEndsWithinTheTimeOuts) {
  Listener listener;
  DWORD begun = GetTickCount();
  // The listener accepts in its backlog and never answers.
  EXPECT_FALSE(SocketHttpGet(Utf16ToUtf8(listener.Url("/hang")), {1000, 1000, 1000}));
  EXPECT_LT(GetTickCount() - begun, 10000u);
  EXPECT_NE(listener.Accept(0), INVALID_SOCKET);  // it did connect
  // Nothing is sent for addresses the client cannot carry.
  for (const char* other : {"https://127.0.0.1:1/", "ftp://127.0.0.1/", "httpx://127.0.0.1/"})
    EXPECT_FALSE(SocketHttpGet(other, {1000, 1000, 1000})) << other;
}

}  // namespace
}  // namespace ks
