// The library's date formatter.
#include "date_format.h"

#include "decimal_text.h"

namespace ks {
namespace {

constexpr const char* kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

std::string Number(int v, int width) { return PaddedDecimal(v, width); }

}  // namespace

std::string FormatDate(std::string_view p, const DateTimeParts& t) {
  std::string out;
  const char* month = kMonths[(t.month >= 1 && t.month <= 12 ? t.month : 1) - 1];
  int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  for (size_t i = 0; i < p.size();) {
    auto next_is = [&](std::string_view tok) { return p.substr(i, tok.size()) == tok; };
    if (next_is("dd")) { out += Number(t.day, 2); i += 2; }
    else if (next_is("d")) { out += Number(t.day, 1); i += 1; }
    else if (next_is("MM")) { out += month; i += 2; }
    else if (next_is("M")) { out.append(month, 3); i += 1; }
    else if (next_is("yy")) { out += Number(t.year, 4); i += 2; }
    else if (next_is("y")) { out += Number(t.year % 100, 2); i += 1; }
    else if (next_is("mm")) { out += Number(t.month, 2); i += 2; }
    else if (next_is("m")) { out += Number(t.month, 1); i += 1; }
    else if (next_is("hh")) { out += Number(hour12, 2); i += 2; }
    else if (next_is("h")) { out += Number(hour12, 1); i += 1; }
    else if (next_is("ii")) { out += Number(t.minute, 2); i += 2; }
    else if (next_is("ss")) { out += Number(t.second, 2); i += 2; }
    else if (next_is("ap")) { out += t.hour < 12 ? "a" : "p"; i += 2; }
    else { out.push_back(p[i]); i += 1; }
  }
  return out;
}

}  // namespace ks
