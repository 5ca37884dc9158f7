// Reading the fixed file version out of a PE image's resources.
#include "version_resource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "portable/bytes.h"

namespace ks::builder {

namespace {

constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kVersionResourceType = 16;  // RT_VERSION
constexpr uint32_t kSubdirectoryBit = 0x80000000;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kFixedInfoOffset = 40;  // after the header and "VS_VERSION_INFO\0", 4-aligned

class Image {
 public:
  explicit Image(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  std::optional<uint32_t> U32(uint64_t at) const {
    if (at + 4 > bytes_.size()) return std::nullopt;
    return LoadU32(bytes_.data() + at);
  }
  std::optional<uint16_t> U16(uint64_t at) const {
    if (at + 2 > bytes_.size()) return std::nullopt;
    return LoadU16(bytes_.data() + at);
  }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace

std::string FixedFileVersion(std::span<const uint8_t> bytes) {
  Image image(bytes);
  if (bytes.size() < 64 || bytes[0] != 'M' || bytes[1] != 'Z') return {};
  auto pe = image.U32(60);
  if (!pe || image.U32(*pe) != 0x00004550u) return {};  // "PE\0\0"
  auto sections = image.U16(*pe + 6);
  auto optional_size = image.U16(*pe + 20);
  auto magic = image.U16(*pe + 24);
  if (!sections || !optional_size || !magic) return {};
  uint64_t directories = *pe + 24 + (*magic == 0x20B ? 112 : 96);
  auto resource_rva = image.U32(directories + 8 * kResourceDirectoryIndex);
  if (!resource_rva || *resource_rva == 0) return {};

  // File offset of an address of the loaded image.
  const uint64_t table = *pe + 24 + *optional_size;
  auto offset_of = [&](uint32_t rva) -> std::optional<uint64_t> {
    for (uint32_t i = 0; i < *sections; ++i) {
      uint64_t sh = table + 40 * uint64_t(i);
      auto vsize = image.U32(sh + 8), va = image.U32(sh + 12), rsize = image.U32(sh + 16),
           raw = image.U32(sh + 20);
      if (!vsize || !va || !rsize || !raw) return std::nullopt;
      uint32_t span = std::max(*vsize, *rsize);
      if (rva >= *va && rva - *va < span && rva - *va < *rsize) return uint64_t(*raw) + (rva - *va);
    }
    return std::nullopt;
  };
  auto root = offset_of(*resource_rva);
  if (!root) return {};

  // Type RT_VERSION, then the first name and the first language below it.
  uint64_t directory = *root;
  std::optional<uint32_t> entry;
  for (int level = 0; level < 3; ++level) {
    auto named = image.U16(directory + 12), ids = image.U16(directory + 14);
    if (!named || !ids || *named + *ids == 0) return {};
    uint64_t first = directory + 16;
    entry.reset();
    for (uint32_t i = 0; i < uint32_t(*named) + *ids; ++i) {
      auto id = image.U32(first + 8 * uint64_t(i));
      if (!id) return {};
      if (level > 0 || (i >= *named && *id == kVersionResourceType)) {
        entry = image.U32(first + 8 * uint64_t(i) + 4);
        break;
      }
    }
    if (!entry) return {};
    bool subdirectory = (*entry & kSubdirectoryBit) != 0;
    if (subdirectory != (level < 2)) return {};
    directory = *root + (*entry & ~kSubdirectoryBit);
  }
  auto data_rva = image.U32(directory), data_size = image.U32(directory + 4);
  if (!data_rva || !data_size || *data_size < kFixedInfoOffset + 16) return {};
  auto data = offset_of(*data_rva);
  if (!data) return {};
  auto value_length = image.U16(*data + 2);
  auto signature = image.U32(*data + kFixedInfoOffset);
  auto ms = image.U32(*data + kFixedInfoOffset + 8), ls = image.U32(*data + kFixedInfoOffset + 12);
  if (!value_length || *value_length < 52 || signature != kFixedInfoSignature || !ms || !ls) return {};
  char text[48];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", *ms >> 16, *ms & 0xFFFF, *ls >> 16, *ls & 0xFFFF);
  return text;
}

}  // namespace ks::builder
