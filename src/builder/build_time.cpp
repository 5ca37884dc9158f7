// SOURCE_DATE_EPOCH and the fixed build time.
#include "build_time.h"

#include <cstdlib>

namespace ks::builder {

std::optional<int64_t> SourceDateEpoch(std::string& problem) {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text || !*text) return std::nullopt;
  int64_t value = 0;
  for (const char* p = text; *p; ++p) {
    // Up to year 9999 and within a 32-bit PE time stamp.
    if (*p < '0' || *p > '9' || value > 0xFFFFFFFFLL / 10) {
      problem = std::string("SOURCE_DATE_EPOCH must be seconds since 1970 (0 to 4294967295), not '") + text + "'";
      return std::nullopt;
    }
    value = value * 10 + (*p - '0');
  }
  if (value > 0xFFFFFFFFLL) {
    problem = std::string("SOURCE_DATE_EPOCH must be seconds since 1970 (0 to 4294967295), not '") + text + "'";
    return std::nullopt;
  }
  return value;
}

int64_t BuildTime() {
  std::string problem;
  return SourceDateEpoch(problem).value_or(kFixedBuildTime);
}

uint64_t FileTimeFromUnix(int64_t seconds) {
  return static_cast<uint64_t>(seconds + kSecondsFrom1601To1970) * 10000000ULL;
}

}  // namespace ks::builder
