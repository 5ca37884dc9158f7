// The builder's side of the ScriptBlock: the zlib stream and its scrambling or
// enciphering. Kept apart from the reader so that the engine links no zlib.
#include <zlib.h>

#include "archive.h"
#include "inflate.h"
#include "sum32.h"

namespace ks {

std::vector<uint8_t> DeflateBuffer(const uint8_t* data, size_t length, int level) {
  std::vector<uint8_t> out(compressBound(uLong(length)));
  uLongf out_len = uLongf(out.size());
  if (compress2(out.data(), &out_len, data, uLong(length), level) != Z_OK) return {};
  out.resize(out_len);
  return out;
}

Bytes EncodeScriptBlock(const Bytes& plain, ArchiveHeader& header) {
  header.ScriptKey = Sum32(plain.data(), (long long)plain.size());
  Bytes block = DeflateBuffer(plain.data(), plain.size());
  if (header.ArchiveFlags & kArcBlowfish) {
    Blowfish cipher;
    cipher.SetKey(header.BlowfishKey.data(), header.BlowfishKey.size());
    block = BlowfishEncipherBuffer(cipher, block);
  } else {
    XorScramble(block.data(), block.size(), header.ScriptKey);
  }
  header.ScriptSize = uint32_t(block.size());
  return block;
}

}  // namespace ks
