// The file version of a Windows program or library as the engine's version
// rule reads it, taken from the bytes of a payload source at build time.
#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace ks::builder {

// "a.b.c.d" from the fixed file information of the image's version resource;
// empty when `image` is not a PE image or has no version resource.
std::string FixedFileVersion(std::span<const uint8_t> image);

}  // namespace ks::builder
