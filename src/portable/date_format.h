// The library's date formatter: "d dd M MM y yy m mm h hh ii ss ap" letters,
// any other character copied ("d-M-yy h:ii:ssap" gives "7-Dec-2026 6:58:45a").
#pragma once
#include <string>
#include <string_view>

namespace ks {

struct DateTimeParts {
  int year = 0, month = 1, day = 1;  // month 1..12
  int hour = 0, minute = 0, second = 0;
};

std::string FormatDate(std::string_view pattern, const DateTimeParts& t);

}  // namespace ks
