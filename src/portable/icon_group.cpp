// An icon file as program resources.
#include "icon_group.h"

namespace ks {
namespace {

constexpr size_t kDirSize = 6;        // reserved, type, count
constexpr size_t kFileEntrySize = 16; // ... bytes in resource (u32), offset (u32)
constexpr size_t kGroupEntrySize = 14;  // ... bytes in resource (u32), id (u16)

uint16_t U16(std::span<const uint8_t> b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
uint32_t U32(std::span<const uint8_t> b, size_t at) { return U16(b, at) | uint32_t(U16(b, at + 2)) << 16; }

}  // namespace

std::optional<IconGroup> IconGroupFromFile(std::span<const uint8_t> ico, uint16_t first_id) {
  if (ico.size() < kDirSize || U16(ico, 0) != 0 || U16(ico, 2) != 1) return std::nullopt;
  const size_t count = U16(ico, 4);
  if (count == 0 || count > 0xFFFFu - first_id || ico.size() < kDirSize + count * kFileEntrySize)
    return std::nullopt;
  IconGroup out;
  out.group.assign(ico.begin(), ico.begin() + kDirSize);
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = kDirSize + i * kFileEntrySize;
    const uint64_t size = U32(ico, entry + 8), offset = U32(ico, entry + 12);
    if (size == 0 || offset + size > ico.size()) return std::nullopt;
    out.images.push_back(ico.subspan(size_t(offset), size_t(size)));
    // The first twelve bytes (sizes, colours, planes, bits, length) stay; the id replaces the offset.
    out.group.insert(out.group.end(), ico.begin() + entry, ico.begin() + entry + 12);
    const uint16_t id = uint16_t(first_id + i);
    out.group.push_back(uint8_t(id));
    out.group.push_back(uint8_t(id >> 8));
  }
  static_assert(kGroupEntrySize == 12 + 2);
  return out;
}

}  // namespace ks
