// Blowfish (16 rounds, ECB, big-endian halves) with the archive's key schedule:
// the key is taken as little-endian 32-bit words.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ks {

class Blowfish {
 public:
  Blowfish() = default;
  // Keys shorter than 8 bytes are padded with zeros to 8; longer ones to a
  // multiple of 4; at most 56 bytes are used.
  void SetKey(const uint8_t* key, size_t length);
  void EncryptBlock(uint32_t& left, uint32_t& right) const;
  void DecryptBlock(uint32_t& left, uint32_t& right) const;
  // ECB over whole 8-byte blocks (each block as two big-endian words).
  void Encrypt(uint8_t* data, size_t length) const;
  void Decrypt(uint8_t* data, size_t length) const;

 private:
  uint32_t F(uint32_t x) const;
  uint32_t p_[18] = {};
  uint32_t s_[4][256] = {};
};

// The ScriptBlock/payload framing: the plain length L as a trailing u32 after
// zero padding to whole blocks. Decipher checks (size-12 <= L <= size-4) and
// cuts, or empties the buffer; a buffer under 8 bytes or not a multiple of 8
// is left as it is.
void BlowfishDecipherBuffer(const Blowfish& cipher, std::vector<uint8_t>& buffer);
std::vector<uint8_t> BlowfishEncipherBuffer(const Blowfish& cipher, const std::vector<uint8_t>& plain);

}  // namespace ks
