// zlib streams through libdeflate.
#include "deflate_chunk.h"

#include <libdeflate.h>

#include <memory>

namespace ks {

std::vector<uint8_t> DeflateChunk(const uint8_t* data, size_t length, int level) {
  std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
      libdeflate_alloc_compressor(level), &libdeflate_free_compressor);
  if (!compressor) return {};
  std::vector<uint8_t> out(libdeflate_zlib_compress_bound(compressor.get(), length));
  size_t n = libdeflate_zlib_compress(compressor.get(), data, length, out.data(), out.size());
  out.resize(n);  // 0 cannot happen with the bound's room
  return out;
}

}  // namespace ks
