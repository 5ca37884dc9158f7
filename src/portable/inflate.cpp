// The inflation driver: whole zlib streams through libdeflate into a growing
// output, and a throttled progress callback that may cancel.
#include "inflate.h"

#include <libdeflate.h>

#include <memory>

namespace ks {

bool InflateInto(const uint8_t* data, size_t length, std::vector<uint8_t>& out,
                 const InflateProgress& progress, std::chrono::nanoseconds interval) {
  std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> inflater(
      libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
  if (!inflater) return false;
  const auto started = std::chrono::steady_clock::now();

  // libdeflate inflates a stream in one call into room it is given: start
  // from the usual reserve and double it while the stream does not fit.
  const size_t start_size = out.size();
  size_t room = 3 * length + 1024;
  size_t used_in = 0, produced = 0;
  for (;;) {
    out.resize(start_size + room);
    auto rc = libdeflate_zlib_decompress_ex(inflater.get(), data, length, out.data() + start_size, room,
                                            &used_in, &produced);
    if (rc == LIBDEFLATE_SUCCESS) break;
    // Deflate expands at most 1032:1; a stream wanting more room is damaged.
    if (rc != LIBDEFLATE_INSUFFICIENT_SPACE || room / 1032 > length + 1) {
      out.resize(start_size);
      return false;
    }
    room *= 2;
  }
  out.resize(start_size + produced);

  if (progress && std::chrono::steady_clock::now() - started > interval &&
      progress(used_in, length, uint64_t(produced) * 8))
    return false;
  return true;
}

bool InflateBuffer(std::vector<uint8_t>& buffer, const InflateProgress& progress) {
  std::vector<uint8_t> out;
  if (!InflateInto(buffer.data(), buffer.size(), out, progress)) return false;
  buffer.swap(out);
  return true;
}

}  // namespace ks
