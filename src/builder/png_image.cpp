// BMP in, PNG out: the two image formats the preview handles, with every
// size in the BMP header checked against the file before a row is read.
#include "png_image.h"

#include <zlib.h>

namespace ks::builder {

namespace {

constexpr uint32_t kMaxSide = 16384;

uint32_t U32(std::span<const uint8_t> b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

void PutBig32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void Chunk(Bytes& out, const char* kind, const Bytes& body) {
  PutBig32(out, uint32_t(body.size()));
  size_t start = out.size();
  out.insert(out.end(), kind, kind + 4);
  out.insert(out.end(), body.begin(), body.end());
  uLong crc = crc32(0, out.data() + start, uInt(out.size() - start));
  PutBig32(out, uint32_t(crc));
}

}  // namespace

bool ReadBmp24(std::span<const uint8_t> bmp, RgbImage& image, std::string& error) {
  if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M') {
    error = "not a BMP file";
    return false;
  }
  uint32_t offset = U32(bmp, 10), header = U32(bmp, 14);
  int32_t width = int32_t(U32(bmp, 18)), height = int32_t(U32(bmp, 22));
  uint16_t bits = uint16_t(bmp[28] | bmp[29] << 8);
  uint32_t compression = U32(bmp, 30);
  if (header < 40 || bits != 24 || compression != 0) {
    error = "not an uncompressed 24-bit BMP";
    return false;
  }
  bool top_down = height < 0;
  uint32_t w = uint32_t(width), h = top_down ? uint32_t(-int64_t(height)) : uint32_t(height);
  if (width <= 0 || h == 0 || w > kMaxSide || h > kMaxSide) {
    error = "BMP size out of range";
    return false;
  }
  uint64_t stride = (uint64_t(w) * 3 + 3) & ~uint64_t(3);
  if (offset > bmp.size() || stride * h > bmp.size() - offset) {
    error = "BMP file is shorter than its pixels";
    return false;
  }
  image.width = w;
  image.height = h;
  image.rgb.resize(size_t(w) * h * 3);
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* row = bmp.data() + offset + stride * (top_down ? y : h - 1 - y);
    uint8_t* out = image.rgb.data() + size_t(y) * w * 3;
    for (uint32_t x = 0; x < w; ++x) {
      out[x * 3] = row[x * 3 + 2];
      out[x * 3 + 1] = row[x * 3 + 1];
      out[x * 3 + 2] = row[x * 3];
    }
  }
  return true;
}

Bytes EncodePng(const RgbImage& image) {
  // Filter type 0 (none) before each row.
  Bytes raw;
  size_t row = size_t(image.width) * 3;
  raw.reserve((row + 1) * image.height);
  for (uint32_t y = 0; y < image.height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), image.rgb.begin() + y * row, image.rgb.begin() + (y + 1) * row);
  }
  uLongf packed_size = compressBound(uLong(raw.size()));
  Bytes packed(packed_size);
  compress2(packed.data(), &packed_size, raw.data(), uLong(raw.size()), 6);
  packed.resize(packed_size);

  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBig32(header, image.width);
  PutBig32(header, image.height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter choice, no interlace
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", packed);
  Chunk(png, "IEND", {});
  return png;
}

}  // namespace ks::builder
