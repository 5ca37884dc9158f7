// Sum32: the archive's check value.
#include "portable/sum32.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace ks
