// Blowfish (16 rounds, ECB, big-endian halves) with the archive's key schedule,
// and the length framing used for the ScriptBlock and payload chunks.
#include "blowfish.h"

#include <algorithm>
#include <cstring>

#include "blowfish_tables.h"
#include "bytes.h"

namespace ks {
namespace {

constexpr size_t kBlock = 8;
constexpr size_t kMaxKeyBytes = 56;  // 448 bits

uint32_t LoadBE32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
void StoreBE32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24); p[1] = uint8_t(v >> 16); p[2] = uint8_t(v >> 8); p[3] = uint8_t(v);
}

}  // namespace

void Blowfish::SetKey(const uint8_t* key, size_t length) {
  // The archive's keys are little-endian words: pad the bytes first, then
  // assemble each word with its first byte lowest.
  uint8_t padded[kMaxKeyBytes] = {};
  size_t used = std::min(length, kMaxKeyBytes);
  if (used) std::memcpy(padded, key, used);
  size_t padded_len = used < 8 ? 8 : (used + 3) & ~size_t(3);
  size_t words = padded_len / 4;

  std::memcpy(p_, kBlowfishInitP, sizeof p_);
  std::memcpy(s_, kBlowfishInitS, sizeof s_);
  for (size_t i = 0; i < 18; ++i) p_[i] ^= LoadU32(padded + 4 * (i % words));

  uint32_t l = 0, r = 0;
  for (size_t i = 0; i < 18; i += 2) {
    EncryptBlock(l, r);
    p_[i] = l;
    p_[i + 1] = r;
  }
  for (auto& box : s_) {
    for (size_t i = 0; i < 256; i += 2) {
      EncryptBlock(l, r);
      box[i] = l;
      box[i + 1] = r;
    }
  }
}

uint32_t Blowfish::F(uint32_t x) const {
  return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
}

void Blowfish::EncryptBlock(uint32_t& left, uint32_t& right) const {
  uint32_t l = left, r = right;
  for (int i = 0; i < 16; ++i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  right = r ^ p_[16];
  left = l ^ p_[17];
}

void Blowfish::DecryptBlock(uint32_t& left, uint32_t& right) const {
  uint32_t l = left, r = right;
  for (int i = 17; i > 1; --i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  right = r ^ p_[1];
  left = l ^ p_[0];
}

void Blowfish::Encrypt(uint8_t* data, size_t length) const {
  for (size_t i = 0; i + kBlock <= length; i += kBlock) {
    uint32_t l = LoadBE32(data + i), r = LoadBE32(data + i + 4);
    EncryptBlock(l, r);
    StoreBE32(data + i, l);
    StoreBE32(data + i + 4, r);
  }
}

void Blowfish::Decrypt(uint8_t* data, size_t length) const {
  for (size_t i = 0; i + kBlock <= length; i += kBlock) {
    uint32_t l = LoadBE32(data + i), r = LoadBE32(data + i + 4);
    DecryptBlock(l, r);
    StoreBE32(data + i, l);
    StoreBE32(data + i + 4, r);
  }
}

void BlowfishDecipherBuffer(const Blowfish& cipher, std::vector<uint8_t>& buffer) {
  size_t size = buffer.size();
  if (size < kBlock || size % kBlock) return;
  cipher.Decrypt(buffer.data(), size);
  // The padding is at most 7 bytes, so the length must sit within one block
  // of the end; anything else is a damaged block.
  uint64_t plain = LoadU32(buffer.data() + size - 4);
  if (plain + 12 >= size && plain + 4 <= size) {
    buffer.resize(size_t(plain));
  } else {
    buffer.clear();
  }
}

std::vector<uint8_t> BlowfishEncipherBuffer(const Blowfish& cipher, const std::vector<uint8_t>& plain) {
  size_t total = (plain.size() + 4 + kBlock - 1) / kBlock * kBlock;
  std::vector<uint8_t> out(total, 0);
  std::copy(plain.begin(), plain.end(), out.begin());
  StoreU32(out.data() + total - 4, uint32_t(plain.size()));
  cipher.Encrypt(out.data(), total);
  return out;
}

}  // namespace ks
