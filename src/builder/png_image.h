// Screenshots for the preview: reads the probe's 24-bit BMPs and writes PNGs
// (RGB, 8 bits per channel, zlib-compressed) that any browser shows.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "portable/bytes.h"

namespace ks::builder {

struct RgbImage {
  uint32_t width = 0, height = 0;
  Bytes rgb;  // rows from the top, 3 bytes per pixel (red, green, blue)
};

// A BITMAPFILEHEADER + BITMAPINFOHEADER file, 24 bits per pixel, uncompressed,
// rows bottom-up or top-down. False with the reason for anything else.
bool ReadBmp24(std::span<const uint8_t> bmp, RgbImage& image, std::string& error);

Bytes EncodePng(const RgbImage& image);

}  // namespace ks::builder
