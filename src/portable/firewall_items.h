// The firewall item list of the settings: its lines and the four fields of
// each (port or program; name; protocol flags; keep flag).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// Protocol flags of a port item.
enum : unsigned { kFirewallTcp = 0x1, kFirewallUdp = 0x2 };
// Protocol numbers the firewall takes.
constexpr long kProtocolTcp = 6;
constexpr long kProtocolUdp = 17;

// Any of CR LF, LF CR, CR and LF ends a line; empty lines are dropped.
std::vector<std::u16string_view> FirewallLines(std::u16string_view text);

struct FirewallItem {
  bool is_port = false;  // field 1 is digits only
  long port = 0;         // saturates above 65535: the firewall refuses it
  std::u16string target;  // the port text or the program path, as written
  std::u16string name;    // empty: the product's name
  unsigned flags = 0;     // kFirewallTcp, kFirewallUdp
  bool keep = false;      // the keep field contains "1": stays after an uninstall
};

// Exactly four ";"-separated fields, else nothing (the settings are corrupt).
std::optional<FirewallItem> ParseFirewallLine(std::u16string_view line);

}  // namespace ks
