// The one time a build writes into an installer: SOURCE_DATE_EPOCH when the
// build pipeline sets it, else a fixed date, so that the same project and
// sources give the same bytes on every run and machine.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace ks::builder {

// Seconds between 1601-01-01 (FILETIME's start) and 1970-01-01.
inline constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;

// 2000-01-01 00:00:00 UTC, for builds without SOURCE_DATE_EPOCH.
inline constexpr int64_t kFixedBuildTime = 946684800;

// SOURCE_DATE_EPOCH as seconds since 1970; nullopt when unset. `problem` is
// set when the variable holds something else than a whole number of seconds.
std::optional<int64_t> SourceDateEpoch(std::string& problem);

// The build's time: SOURCE_DATE_EPOCH or kFixedBuildTime.
int64_t BuildTime();

// Seconds since 1970 as a FILETIME (100 ns since 1601).
uint64_t FileTimeFromUnix(int64_t seconds);

}  // namespace ks::builder
