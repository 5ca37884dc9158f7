// The HTTP/1.1 rules of the notification client: addresses, the request it
// sends, the response head it reads and what an answer asks for next.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ks {

constexpr char kHttpDefaultUserAgent[] = "Ostrel-Q 14.2";
constexpr int kHttpMaxRedirects = 10;
// The most a response head may take; a longer one (or a longer header line) is refused.
constexpr size_t kHttpMaxHead = 16384;

struct HttpUrl {
  bool https = false;
  std::string host;  // as written, brackets of an IPv6 literal removed
  uint16_t port = 80;
  std::string target = "/";  // path and query; never empty, always starts with '/'
};

// Reads an "http://" or "https://" address (scheme in any letter case). Other
// schemes, an empty host, a bad port, or characters no request line may carry
// (controls, spaces are encoded) give nothing.
std::optional<HttpUrl> ParseHttpUrl(std::string_view address);

// The request as sent: request line, Host, User-Agent (the default when
// `user_agent` is empty) and Connection: close, then the empty line.
std::string HttpRequestText(std::string_view method, const HttpUrl& url, std::string_view user_agent = {});

struct HttpResponseHead {
  int status = 0;
  std::string location;  // the last "Location" header, any letter case
  size_t head_size = 0;  // bytes up to and including the empty line
};

enum class HttpHeadParse { kNeedMore, kComplete, kBad };

// Parses the head from the bytes received so far; reads nothing beyond
// `received`. kNeedMore until the empty line arrives; kBad for a malformed
// status line, a header line without a colon, or a head over kHttpMaxHead.
HttpHeadParse ParseHttpResponseHead(std::string_view received, HttpResponseHead& out);

// Where a Location header points from `base`: absolute http(s), scheme-relative,
// absolute-path or relative references. Another scheme (or a bad address) gives nothing.
std::optional<HttpUrl> ResolveLocation(const HttpUrl& base, std::string_view location);

// What the client does after one answer.
struct HttpNext {
  enum Kind { kDone, kRedirect, kRepeat } kind = kDone;
  std::string method;  // for kRedirect and kRepeat
  HttpUrl url;
};

// The redirect and repeat rules over one exchange: at most kHttpMaxRedirects
// redirections (301, 302, 303, 307, 308 with a usable Location; 303 turns any
// method but HEAD into GET) and one repeat of a request answered with 500.
class HttpExchange {
 public:
  HttpExchange(std::string method, HttpUrl url) : method_(std::move(method)), url_(std::move(url)) {}
  const std::string& method() const { return method_; }
  const HttpUrl& url() const { return url_; }
  // Takes the answer to the current request; on kRedirect or kRepeat the
  // exchange's method and url are those of the next request.
  HttpNext Answer(const HttpResponseHead& head);

 private:
  std::string method_;
  HttpUrl url_;
  int redirects_ = 0;
  bool repeated_ = false;
};

// Every "%version%" in `address`, in any letter case, replaced by `version`.
std::u16string ReplaceVersionPlaceholder(std::u16string_view address, std::u16string_view version);

}  // namespace ks
