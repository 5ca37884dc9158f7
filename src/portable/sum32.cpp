// Sum32: the archive's check value over a byte range.
#include "sum32.h"

#include "bytes.h"

namespace ks {

uint32_t Sum32(const void* data, long long length) {
  uint32_t sum = kSum32Seed;
  if (!data || length <= 0) return sum;
  auto* p = static_cast<const uint8_t*>(data);
  size_t n = size_t(length), whole = n & ~size_t(3);
  for (size_t i = 0; i < whole; i += 4) sum += LoadU32(p + i);
  for (size_t i = whole; i < n; ++i) sum += uint32_t(int32_t(int8_t(p[i])));
  return sum + uint32_t(n);
}

}  // namespace ks
