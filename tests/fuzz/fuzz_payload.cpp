// Fuzz target: the payload chunk and record reader on arbitrary bytes. The
// first byte picks the coding, the next four the first record's size.
#include <cstddef>
#include <cstdint>

#include "portable/payload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  ks::PayloadCoding coding;
  coding.compressed = data[0] & 1;
  uint32_t first = uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 | uint32_t(data[4]) << 24;
  ks::PayloadReader reader({data + 5, size - 5}, coding);
  ks::FileRecord record;
  std::span<const uint8_t> content;
  // A few records of shrinking sizes: enough to walk the queue across chunks.
  for (uint32_t i = 0, n = first % 0x100000; i < 8; ++i, n /= 3)
    if (reader.Next(n, record, content) != 0) return 0;
  reader.Finish();
  return 0;
}
