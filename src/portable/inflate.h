// The inflation driver: a zlib stream inflated whole by libdeflate into output
// grown from a reserve of 3 x input + 1024, then a progress callback.
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace ks {

// (input consumed, input total, output bytes x 8) -> true cancels.
using InflateProgress = std::function<bool(uint64_t, uint64_t, uint64_t)>;
constexpr std::chrono::milliseconds kInflateProgressInterval{200};

// Replaces `buffer` by its inflated content. False on a stream error, a
// truncated stream (an empty input included) or a cancel; the buffer is then
// unspecified. Bytes after the end of the zlib stream are ignored.
bool InflateBuffer(std::vector<uint8_t>& buffer, const InflateProgress& progress = nullptr);
// Inflates into `out` (appending); for callers that keep the input elsewhere.
// The stream is inflated in one go (a payload chunk takes milliseconds); the
// progress call follows it when inflation took longer than `interval` (tests
// shorten it), with the output count this call appended.
bool InflateInto(const uint8_t* data, size_t length, std::vector<uint8_t>& out,
                 const InflateProgress& progress = nullptr,
                 std::chrono::nanoseconds interval = kInflateProgressInterval);
// Builder side: a zlib stream (with header) of the data; empty on failure.
std::vector<uint8_t> DeflateBuffer(const uint8_t* data, size_t length, int level = 9);

}  // namespace ks
