// A minimal JSON writer for the probe's report: objects, arrays, strings from
// UTF-16 (non-ASCII escaped as \uXXXX so the output is plain ASCII), numbers.
#pragma once
#include <cstdio>
#include <string>

namespace probe {

class JsonWriter {
 public:
  std::string& str() { return out_; }

  void BeginObject() { Separate(); out_ += '{'; first_ = true; }
  void EndObject() { out_ += '}'; first_ = false; }
  void BeginArray() { Separate(); out_ += '['; first_ = true; }
  void EndArray() { out_ += ']'; first_ = false; }

  void Key(const char* key) {
    Separate();
    Quote(key);
    out_ += ':';
    first_ = true;  // the value that follows needs no comma
  }
  void String(const std::wstring& s) {
    Separate();
    out_ += '"';
    for (wchar_t c : s) {
      unsigned u = static_cast<unsigned>(c) & 0xFFFF;
      switch (u) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\r': out_ += "\\r"; break;
        case '\n': out_ += "\\n"; break;
        case '\t': out_ += "\\t"; break;
        default:
          if (u < 0x20 || u > 0x7E) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\u%04x", u);
            out_ += buf;
          } else {
            out_ += static_cast<char>(u);
          }
      }
    }
    out_ += '"';
  }
  void Number(long long n) { Separate(); out_ += std::to_string(n); }
  void Bool(bool b) { Separate(); out_ += b ? "true" : "false"; }
  void Null() { Separate(); out_ += "null"; }

 private:
  void Separate() {
    if (!first_) out_ += ',';
    first_ = false;
  }
  void Quote(const char* s) {
    out_ += '"';
    out_ += s;
    out_ += '"';
  }

  std::string out_;
  bool first_ = true;
};

}  // namespace probe
