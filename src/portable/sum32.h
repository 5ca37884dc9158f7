// Sum32: the archive's check value over a byte range.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ks {

constexpr uint32_t kSum32Seed = 0x79E2BC9D;

// Seed, plus every whole little-endian u32, plus each tail byte as a signed
// char, plus the length. No data or a non-positive length gives the seed.
uint32_t Sum32(const void* data, long long length);

}  // namespace ks
