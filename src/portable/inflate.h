// The inflation driver over zlib: input in 16384-byte pieces, output grown from
// a reserve of 3 x input + 1024, and a progress callback at most every 200 ms.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace ks {

// (input consumed, input total, output bytes x 8) -> true cancels.
using InflateProgress = std::function<bool(uint64_t, uint64_t, uint64_t)>;

// Replaces `buffer` by its inflated content. False on a stream error, a
// truncated stream or a cancel; the buffer is then unspecified.
bool InflateBuffer(std::vector<uint8_t>& buffer, const InflateProgress& progress = nullptr);
// Inflates into `out` (appending); for callers that keep the input elsewhere.
bool InflateInto(const uint8_t* data, size_t length, std::vector<uint8_t>& out,
                 const InflateProgress& progress = nullptr);
std::vector<uint8_t> DeflateBuffer(const uint8_t* data, size_t length, int level = 9);

}  // namespace ks
