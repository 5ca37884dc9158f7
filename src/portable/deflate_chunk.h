// The builder's compressor: zlib-format streams that the engine's inflater
// reads, made by libdeflate, which is faster than zlib at the same level and
// goes further (levels 10 to 12) where zlib stops.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ks {

inline constexpr int kDefaultDeflateLevel = 9;
inline constexpr int kMaxDeflateLevel = 12;

// One zlib stream of `data`; level 1 to 12.
std::vector<uint8_t> DeflateChunk(const uint8_t* data, size_t length, int level = kDefaultDeflateLevel);

}  // namespace ks
