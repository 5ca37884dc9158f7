// The inflation driver over zlib: fixed-size input pieces, a growing output and
// a throttled progress callback that may cancel.
#include "inflate.h"

#include <zlib.h>

namespace ks {
namespace {

constexpr size_t kPiece = 16384;

// Owns the inflate state so every exit path releases it.
class InflateStream {
 public:
  InflateStream() { ok_ = inflateInit(&z_) == Z_OK; }
  ~InflateStream() { if (ok_) inflateEnd(&z_); }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
  bool ok() const { return ok_; }
  z_stream* get() { return &z_; }

 private:
  z_stream z_{};
  bool ok_ = false;
};

}  // namespace

bool InflateInto(const uint8_t* data, size_t length, std::vector<uint8_t>& out,
                 const InflateProgress& progress, std::chrono::nanoseconds interval) {
  InflateStream stream;
  if (!stream.ok()) return false;
  z_stream* z = stream.get();

  const size_t start_size = out.size();
  out.reserve(start_size + 3 * length + 1024);
  uint8_t area[kPiece];
  auto last_report = std::chrono::steady_clock::now();
  bool ended = false;

  for (size_t offset = 0; offset < length && !ended;) {
    size_t piece = length - offset < kPiece ? length - offset : kPiece;
    z->next_in = const_cast<Bytef*>(data + offset);
    z->avail_in = uInt(piece);
    do {
      z->next_out = area;
      z->avail_out = uInt(kPiece);
      int rc = inflate(z, Z_NO_FLUSH);
      // Z_BUF_ERROR only says no progress was possible (input used up with
      // the previous area exactly full); the loop ends on it below.
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return false;
      out.insert(out.end(), area, area + (kPiece - z->avail_out));
      if (rc == Z_STREAM_END) { ended = true; break; }
      if (rc == Z_BUF_ERROR) break;
    } while (z->avail_out == 0);
    offset += piece - z->avail_in;

    if (progress) {
      auto now = std::chrono::steady_clock::now();
      if (now - last_report > interval) {
        last_report = now;
        if (progress(offset, length, uint64_t(out.size() - start_size) * 8)) return false;
      }
    }
  }
  // Running out of input before the stream's end is a truncated stream.
  return ended;
}

bool InflateBuffer(std::vector<uint8_t>& buffer, const InflateProgress& progress) {
  std::vector<uint8_t> out;
  if (!InflateInto(buffer.data(), buffer.size(), out, progress)) return false;
  buffer.swap(out);
  return true;
}

std::vector<uint8_t> DeflateBuffer(const uint8_t* data, size_t length, int level) {
  std::vector<uint8_t> out(compressBound(uLong(length)));
  uLongf out_len = uLongf(out.size());
  if (compress2(out.data(), &out_len, data, uLong(length), level) != Z_OK) return {};
  out.resize(out_len);
  return out;
}

}  // namespace ks
