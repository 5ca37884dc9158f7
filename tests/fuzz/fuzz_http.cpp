// Fuzz target: the notification client's response-head parser and Location
// rules on arbitrary bytes, fed as they might arrive (in two parts). They must
// only ever return a result: no crash, no read past what was received.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "portable/http_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  ks::HttpResponseHead head;
  size_t split = size ? data[0] % (size + 1) : 0;
  ks::ParseHttpResponseHead(all.substr(0, split), head);
  if (ks::ParseHttpResponseHead(all, head) != ks::HttpHeadParse::kComplete) return 0;
  ks::HttpExchange exchange("POST", *ks::ParseHttpUrl("http://127.0.0.1:8080/a/b?c"));
  for (int i = 0; i < 12; ++i)
    if (exchange.Answer(head).kind == ks::HttpNext::kDone) break;
  ks::ParseHttpUrl(head.location);
  return 0;
}
