// The HTTP/1.1 rules of the notification client.
#include "portable/http_message.h"

#include <algorithm>

namespace ks {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Spaces and bytes beyond ASCII are percent-encoded; other controls make the target unusable.
std::optional<std::string> EncodeTarget(std::string_view raw) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : raw) {
    auto u = static_cast<unsigned char>(c);
    if (u == '#') break;  // a fragment is never sent
    if (u < 0x20 || u == 0x7F) return std::nullopt;
    if (u == ' ' || u >= 0x80) {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  if (out.empty() || out[0] != '/') out.insert(out.begin(), '/');
  return out;
}

bool ValidHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == ':' || c == '%';
}

// The scheme of a reference, when it has one ("name:" before any '/', '?' or '#').
std::optional<std::string_view> SchemeOf(std::string_view ref) {
  for (size_t i = 0; i < ref.size(); ++i) {
    char c = ref[i];
    if (c == ':') return i == 0 ? std::nullopt : std::optional(ref.substr(0, i));
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!(letter || (i > 0 && other))) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(std::string_view address) {
  HttpUrl url;
  if (StartsWithNoCase(address, "http://")) {
    address.remove_prefix(7);
  } else if (StartsWithNoCase(address, "https://")) {
    address.remove_prefix(8);
    url.https = true;
    url.port = 443;
  } else {
    return std::nullopt;
  }
  size_t end = address.find_first_of("/?#");
  std::string_view authority = address.substr(0, end);
  std::string_view rest = end == std::string_view::npos ? std::string_view() : address.substr(end);
  if (size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::string_view host = authority, port;
  if (!authority.empty() && authority.front() == '[') {
    size_t close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = authority.substr(1, close - 1);
    std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return std::nullopt;
      port = after.substr(1);
    }
  } else if (size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
    if (host.find(':') != std::string_view::npos) return std::nullopt;
  }
  if (host.empty() || !std::all_of(host.begin(), host.end(), ValidHostChar)) return std::nullopt;
  if (!port.empty()) {
    if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return std::nullopt;
    unsigned value = unsigned(std::stoul(std::string(port)));
    if (value == 0 || value > 65535) return std::nullopt;
    url.port = uint16_t(value);
  }
  url.host = std::string(host);
  if (!rest.empty() && rest.front() == '#') rest = {};
  auto target = EncodeTarget(rest);
  if (!target) return std::nullopt;
  url.target = *target;
  return url;
}

std::string HttpRequestText(std::string_view method, const HttpUrl& url, std::string_view user_agent) {
  std::string host = url.host.find(':') != std::string::npos ? "[" + url.host + "]" : url.host;
  if (url.port != (url.https ? 443 : 80)) host += ":" + std::to_string(url.port);
  std::string text;
  text.append(method).append(" ").append(url.target).append(" HTTP/1.1\r\n");
  text.append("Host: ").append(host).append("\r\n");
  text.append("User-Agent: ").append(user_agent.empty() ? std::string_view(kHttpDefaultUserAgent) : user_agent);
  text.append("\r\nConnection: close\r\n\r\n");
  return text;
}

HttpHeadParse ParseHttpResponseHead(std::string_view received, HttpResponseHead& out) {
  out = HttpResponseHead();
  size_t limit = std::min(received.size(), kHttpMaxHead);
  std::string_view data = received.substr(0, limit);
  size_t pos = 0;
  bool first = true;
  while (true) {
    size_t eol = data.find('\n', pos);
    if (eol == std::string_view::npos) return received.size() >= kHttpMaxHead ? HttpHeadParse::kBad : HttpHeadParse::kNeedMore;
    std::string_view line = data.substr(pos, eol - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = eol + 1;
    if (first) {
      // "HTTP/1.x SSS reason"
      if (!StartsWithNoCase(line, "HTTP/") || line.size() < 12) return HttpHeadParse::kBad;
      size_t space = line.find(' ');
      if (space == std::string_view::npos || line.size() < space + 4) return HttpHeadParse::kBad;
      std::string_view code = line.substr(space + 1, 3);
      if (!std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) return HttpHeadParse::kBad;
      if (line.size() > space + 4 && line[space + 4] != ' ') return HttpHeadParse::kBad;
      out.status = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
      first = false;
      continue;
    }
    if (line.empty()) {
      out.head_size = pos;
      return HttpHeadParse::kComplete;
    }
    if (line.front() == ' ' || line.front() == '\t') continue;  // folded continuation: nothing we use
    size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return HttpHeadParse::kBad;
    if (EqualsNoCase(Trim(line.substr(0, colon)), "location")) out.location = std::string(Trim(line.substr(colon + 1)));
  }
}

std::optional<HttpUrl> ResolveLocation(const HttpUrl& base, std::string_view location) {
  location = Trim(location);
  if (location.empty()) return std::nullopt;
  if (auto scheme = SchemeOf(location)) {
    if (!EqualsNoCase(*scheme, "http") && !EqualsNoCase(*scheme, "https")) return std::nullopt;
    return ParseHttpUrl(location);
  }
  std::string scheme = base.https ? "https:" : "http:";
  if (location.substr(0, 2) == "//") return ParseHttpUrl(scheme + std::string(location));
  std::string authority = base.host.find(':') != std::string::npos ? "[" + base.host + "]" : base.host;
  authority += ":" + std::to_string(base.port);
  std::string path;
  if (location.front() == '/') {
    path = std::string(location);
  } else {
    std::string_view base_path(base.target);
    base_path = base_path.substr(0, base_path.find('?'));
    if (location.front() == '?') {
      path = std::string(base_path) + std::string(location);
    } else {
      path = std::string(base_path.substr(0, base_path.rfind('/') + 1)) + std::string(location);
    }
  }
  return ParseHttpUrl(scheme + "//" + authority + path);
}

HttpNext HttpExchange::Answer(const HttpResponseHead& head) {
  HttpNext next;
  switch (head.status) {
    case 301: case 302: case 303: case 307: case 308: {
      if (redirects_ >= kHttpMaxRedirects) return next;
      auto target = ResolveLocation(url_, head.location);
      if (!target) return next;
      ++redirects_;
      repeated_ = false;
      if (head.status == 303 && method_ != "HEAD") method_ = "GET";
      url_ = *target;
      next.kind = HttpNext::kRedirect;
      break;
    }
    case 500:
      if (repeated_) return next;
      repeated_ = true;
      next.kind = HttpNext::kRepeat;
      break;
    default:
      return next;
  }
  next.method = method_;
  next.url = url_;
  return next;
}

std::u16string ReplaceVersionPlaceholder(std::u16string_view address, std::u16string_view version) {
  static constexpr std::u16string_view kPlaceholder = u"%version%";
  std::u16string out;
  size_t i = 0;
  while (i < address.size()) {
    bool match = address.size() - i >= kPlaceholder.size();
    for (size_t k = 0; match && k < kPlaceholder.size(); ++k) {
      char16_t c = address[i + k];
      if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
      match = c == kPlaceholder[k];
    }
    if (match) {
      out.append(version);
      i += kPlaceholder.size();
    } else {
      out += address[i++];
    }
  }
  return out;
}

}  // namespace ks
