// Sum32: the archive's check value.
#include "portable/sum32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace ks {
namespace {

TEST(Sum32, Vectors) {
  EXPECT_EQ(Sum32("abc", 3), 0x79E2BDC6u);
  EXPECT_EQ(Sum32(nullptr, 5), kSum32Seed);
  EXPECT_EQ(Sum32("abc", 0), kSum32Seed);
  EXPECT_EQ(Sum32("abc", -1), kSum32Seed);
  // One whole word plus a tail byte taken as signed: 0x04030201 + (-1) + 5.
  const uint8_t b[] = {1, 2, 3, 4, 0xFF};
  EXPECT_EQ(Sum32(b, 5), kSum32Seed + 0x04030201u - 1u + 5u);
}

// Word by word, as the definition reads.
uint32_t ReferenceSum32(const uint8_t* p, size_t n) {
  if (!n) return kSum32Seed;
  uint32_t sum = kSum32Seed + uint32_t(n);
  size_t i = 0;
  for (; i + 4 <= n; i += 4) sum += uint32_t(p[i]) | uint32_t(p[i + 1]) << 8 | uint32_t(p[i + 2]) << 16 | uint32_t(p[i + 3]) << 24;
  for (; i < n; ++i) sum += uint32_t(int32_t(int8_t(p[i])));
  return sum;
}

// Lengths around the eight-word steps and the four-byte groups, from every
// alignment, whole and in pieces; the bytes make every word carry.
TEST(Sum32, AnyLengthAlignmentAndPiecesMatchTheDefinition) {
  std::vector<uint8_t> bytes(4096 + 3);
  uint32_t state = 12345;
  for (uint8_t& b : bytes) b = uint8_t((state = state * 1103515245u + 12345u) >> 24) | 0x80;
  for (size_t offset : {0, 1, 2, 3}) {
    for (size_t length : {1, 3, 4, 5, 31, 32, 33, 35, 36, 64, 100, 4093, 4096}) {
      SCOPED_TRACE(testing::Message() << offset << " " << length);
      const uint8_t* p = bytes.data() + offset;
      const uint32_t expected = ReferenceSum32(p, length);
      EXPECT_EQ(Sum32(p, (long long)length), expected);
      for (size_t piece : {1, 3, 7, 32, 1000}) {
        Sum32Stream stream;
        for (size_t at = 0; at < length; at += piece) stream.Update(p + at, std::min(piece, length - at));
        EXPECT_EQ(stream.Value(), expected) << piece;
      }
    }
  }
}

}  // namespace
}  // namespace ks
