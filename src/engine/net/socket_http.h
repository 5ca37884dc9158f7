// The HTTP/1.1 client over Winsock that notifications fall back on when
// WinInet is missing: one request with its redirections and repeat.
#pragma once
#include <string>

namespace ks {

struct SocketTimeouts {
  unsigned connect_ms = 10000;
  unsigned send_ms = 10000;
  unsigned receive_ms = 15000;
};

// Requests `address` (http only; https and other schemes send nothing) and
// reads each answer's head, never its body. False when nothing was answered.
bool SocketHttpGet(const std::string& address, const SocketTimeouts& timeouts = {});

}  // namespace ks
