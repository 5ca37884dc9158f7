// The notification client's HTTP/1.1 rules: addresses, the request text,
// response heads, Location references, redirects and repeats.
#include <gtest/gtest.h>

#include <memory>

#include "portable/http_message.h"

namespace ks {
namespace {

TEST(HttpUrl, ReadsHttpAndHttpsAddressesOnly) {
  struct Case {
    const char* address;
    bool https;
    const char* host;
    int port;
    const char* target;
  };
  const Case cases[] = {
      {"http://example.test/a/b?x=1", false, "example.test", 80, "/a/b?x=1"},
      {"HTTP://Example.test", false, "Example.test", 80, "/"},
      {"https://h:8443/p", true, "h", 8443, "/p"},
      {"http://user:pw@h:81/p#frag", false, "h", 81, "/p"},
      {"http://h?q", false, "h", 80, "/?q"},
      {"http://[::1]:9000/x", false, "::1", 9000, "/x"},
      {"http://h/a b\xC3\xA9", false, "h", 80, "/a%20b%C3%A9"},
  };
  for (const char* bad : {"ftp://h/x", "httpx://h/", "http://", "http://h:0/", "http://h:65536/", "http://h:8x/",
                          "http://h/a\r\nX: y", "http://h h/", "file:///c:/x", ""}) {
    EXPECT_FALSE(ParseHttpUrl(bad)) << bad;
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    auto url = ParseHttpUrl(c.address);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->https, c.https);
    EXPECT_EQ(url->host, c.host);
    EXPECT_EQ(url->port, c.port);
    EXPECT_EQ(url->target, c.target);
  }
}

TEST(HttpRequest, RequestLineHostAndAgent) {
  auto url = ParseHttpUrl("http://example.test:8080/n?v=1.2");
  ASSERT_TRUE(url);
  EXPECT_EQ(HttpRequestText("GET", *url),
            "GET /n?v=1.2 HTTP/1.1\r\nHost: example.test:8080\r\nUser-Agent: Ostrel-Q 14.2\r\n"
            "Connection: close\r\n\r\n");
  auto plain = ParseHttpUrl("http://[::1]/");
  ASSERT_TRUE(plain);
  EXPECT_EQ(HttpRequestText("POST", *plain, "Mine 1"),
            "POST / HTTP/1.1\r\nHost: [::1]\r\nUser-Agent: Mine 1\r\nConnection: close\r\n\r\n");
}

TEST(HttpHead, ParsesStatusAndLocation) {
  HttpResponseHead head;
  std::string text = "HTTP/1.1 302 Found\r\nServer: x\r\nlOcAtIoN:  /next \r\nContent-Length: 3\r\n\r\nabc";
  ASSERT_EQ(ParseHttpResponseHead(text, head), HttpHeadParse::kComplete);
  EXPECT_EQ(head.status, 302);
  EXPECT_EQ(head.location, "/next");
  EXPECT_EQ(head.head_size, text.size() - 3);
  // Bare line feeds and a status line without a reason phrase.
  ASSERT_EQ(ParseHttpResponseHead("HTTP/1.0 500\n\n", head), HttpHeadParse::kComplete);
  EXPECT_EQ(head.status, 500);
}

TEST(HttpHead, EveryPrefixNeedsMoreAndNothingPastTheEndIsRead) {
  std::string text = "HTTP/1.1 200 OK\r\nLocation: /x\r\n\r\n";
  HttpResponseHead head;
  for (size_t n = 0; n < text.size(); ++n) {
    // A copy of exactly n bytes, so a read past the end is seen by sanitizers.
    std::unique_ptr<char[]> part(new char[n ? n : 1]);
    std::copy(text.begin(), text.begin() + n, part.get());
    EXPECT_EQ(ParseHttpResponseHead(std::string_view(part.get(), n), head), HttpHeadParse::kNeedMore) << n;
  }
  EXPECT_EQ(ParseHttpResponseHead(text, head), HttpHeadParse::kComplete);
}

TEST(HttpHead, RefusesMalformedAndOversizedHeads) {
  HttpResponseHead head;
  for (const char* bad : {"HTTP/1.1 2x0 OK\r\n\r\n", "SMTP 220 hello\r\n\r\n", "HTTP/1.1 2000 OK\r\n\r\n",
                          "HTTP/1.1 200 OK\r\nno colon here\r\n\r\n", "HTTP/1.1 200 OK\r\n: empty name\r\n\r\n"}) {
    EXPECT_EQ(ParseHttpResponseHead(bad, head), HttpHeadParse::kBad) << bad;
  }
  // A header line of any length: within the limit it is read, beyond it refused.
  std::string long_line = "HTTP/1.1 301 M\r\nLocation: /" + std::string(kHttpMaxHead - 64, 'a') + "\r\n\r\n";
  ASSERT_EQ(ParseHttpResponseHead(long_line, head), HttpHeadParse::kComplete);
  EXPECT_EQ(head.location.size(), kHttpMaxHead - 63);
  std::string endless = "HTTP/1.1 200 OK\r\nX: " + std::string(kHttpMaxHead * 4, 'b');
  EXPECT_EQ(ParseHttpResponseHead(endless, head), HttpHeadParse::kBad);
  EXPECT_EQ(ParseHttpResponseHead(std::string(kHttpMaxHead + 10, 'H'), head), HttpHeadParse::kBad);
}

TEST(HttpLocation, ResolvesReferencesAndDropsOtherSchemes) {
  auto base = ParseHttpUrl("http://h:8080/dir/page?q=1");
  ASSERT_TRUE(base);
  struct Case {
    const char* location;
    const char* expected;  // host:port target, or null when not followed
  };
  const Case cases[] = {
      {"http://other/x", "other:80 /x"},
      {"HTTPS://secure/y", "secure:443 /y"},
      {"//elsewhere:81/z", "elsewhere:81 /z"},
      {"/root?a", "h:8080 /root?a"},
      {"next", "h:8080 /dir/next"},
      {"?p=2", "h:8080 /dir/page?p=2"},
      {"ftp://h/file", nullptr},
      {"javascript:alert(1)", nullptr},
      {"file:///etc/passwd", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    auto url = ResolveLocation(*base, c.location);
    ASSERT_EQ(url.has_value(), c.expected != nullptr);
    if (url) {
      EXPECT_EQ(url->host + ":" + std::to_string(url->port) + " " + url->target, c.expected);
    }
  }
}

HttpResponseHead Answer(int status, std::string location = {}) {
  HttpResponseHead head;
  head.status = status;
  head.location = std::move(location);
  return head;
}

TEST(HttpExchangeRules, FollowsTenRedirectionsAndNotTheEleventh) {
  HttpExchange exchange("GET", *ParseHttpUrl("http://h/r0"));
  for (int i = 1; i <= kHttpMaxRedirects; ++i) {
    HttpNext next = exchange.Answer(Answer(i % 2 ? 302 : 307, "/r" + std::to_string(i)));
    ASSERT_EQ(next.kind, HttpNext::kRedirect) << i;
    EXPECT_EQ(next.url.target, "/r" + std::to_string(i));
  }
  EXPECT_EQ(exchange.Answer(Answer(301, "/r11")).kind, HttpNext::kDone);
}

TEST(HttpExchangeRules, RedirectStatusesAndMethods) {
  for (int status : {301, 302, 303, 307, 308}) {
    HttpExchange exchange("POST", *ParseHttpUrl("http://h/a"));
    HttpNext next = exchange.Answer(Answer(status, "/b"));
    ASSERT_EQ(next.kind, HttpNext::kRedirect) << status;
    EXPECT_EQ(next.method, status == 303 ? "GET" : "POST") << status;
  }
  for (int status : {200, 204, 304, 404, 502}) {
    HttpExchange exchange("GET", *ParseHttpUrl("http://h/a"));
    EXPECT_EQ(exchange.Answer(Answer(status, "/b")).kind, HttpNext::kDone) << status;
  }
  HttpExchange nowhere("GET", *ParseHttpUrl("http://h/a"));
  EXPECT_EQ(nowhere.Answer(Answer(302)).kind, HttpNext::kDone);
  EXPECT_EQ(nowhere.Answer(Answer(302, "mailto:x@y")).kind, HttpNext::kDone);
}

TEST(HttpExchangeRules, RepeatsOnceOn500) {
  HttpExchange exchange("GET", *ParseHttpUrl("http://h/a"));
  HttpNext next = exchange.Answer(Answer(500));
  ASSERT_EQ(next.kind, HttpNext::kRepeat);
  EXPECT_EQ(next.url.target, "/a");
  EXPECT_EQ(exchange.Answer(Answer(500)).kind, HttpNext::kDone);
  // A redirect gives the new request its own repeat.
  HttpExchange moved("GET", *ParseHttpUrl("http://h/a"));
  ASSERT_EQ(moved.Answer(Answer(500)).kind, HttpNext::kRepeat);
  ASSERT_EQ(moved.Answer(Answer(302, "/b")).kind, HttpNext::kRedirect);
  EXPECT_EQ(moved.Answer(Answer(500)).kind, HttpNext::kRepeat);
}

TEST(VersionPlaceholder, ReplacedInAnyLetterCase) {
  const struct {
    const char16_t* address;
    const char16_t* expected;
  } cases[] = {
      {u"http://h/n?v=%version%", u"http://h/n?v=2.5"},
      {u"http://h/%VERSION%/%Version%", u"http://h/2.5/2.5"},
      {u"http://h/%versio%version%", u"http://h/%versio2.5"},
      {u"http://h/plain", u"http://h/plain"},
      {u"%version", u"%version"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceVersionPlaceholder(c.address, u"2.5"), c.expected);
}

}  // namespace
}  // namespace ks
