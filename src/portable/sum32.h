// Sum32: the archive's check value over a byte range, whole or piece by piece.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ks {

constexpr uint32_t kSum32Seed = 0x79E2BC9D;

// Seed, plus every whole little-endian u32, plus each tail byte as a signed
// char, plus the length. No data or a non-positive length gives the seed.
uint32_t Sum32(const void* data, long long length);

// The same value over bytes that arrive in pieces of any length.
class Sum32Stream {
 public:
  void Update(const uint8_t* data, size_t length);
  uint32_t Value() const;

 private:
  uint32_t sum_ = kSum32Seed;
  uint64_t length_ = 0;
  uint8_t carry_[4] = {};  // bytes of a group begun in the last piece
  size_t carried_ = 0;
};

}  // namespace ks
