// The SetupArchive header and ScriptBlock codec.
#include "archive.h"

#include "inflate.h"
#include "sum32.h"

namespace ks {

int ReadArchiveHeader(ByteReader& cursor, ArchiveHeader& header) {
  // A short read yields zeros, which the checks below reject or which leave
  // too little behind for the ScriptBlock (error 47 when it is copied).
  cursor.ReadU32(header.magic);
  if (header.magic != kArchiveMagic) return kErrMagic;
  cursor.ReadCString(header.version);
  if (header.version != kEngineVersion) return kErrVersionMismatch;

  cursor.ReadU32(header.ArchiveFlags);
  cursor.ReadU32(header.ScriptSize);
  int32_t script_size = int32_t(header.ScriptSize);
  if (script_size < 1 || script_size > int32_t(kMaxScriptSize)) return kErrScriptSize;
  cursor.ReadU32(header.ScriptKey);
  cursor.ReadU32(header.EngineChecksum);
  cursor.ReadU32(header.ArchiveEnd);
  if (int32_t(header.ArchiveEnd) < 0) return kErrArchiveEnd;
  cursor.ReadU32(header.FileCount);
  if (int32_t(header.FileCount) < 0) return kErrFileCount;
  cursor.ReadU32(header.PayloadSize);
  if (int32_t(header.PayloadSize) < 0) return kErrPayloadSize;
  cursor.ReadU32(header.PayloadChecksum);

  // Checked before allocating: a damaged count must not reserve gigabytes
  // for a table that cannot be there.
  header.FileSizes.clear();
  if (uint64_t(header.FileCount) * 4 > cursor.Remaining()) return kErrFileCount;
  header.FileSizes.resize(header.FileCount);
  for (uint32_t& size : header.FileSizes) {
    cursor.ReadU32(size);
    if (size > kMaxFileSize) return kErrFileSize;  // a negative entry lands here too
  }

  header.BlowfishKey = {};
  if (header.ArchiveFlags & kArcBlowfish) cursor.ReadRaw(header.BlowfishKey.data(), header.BlowfishKey.size());
  return kArcOk;
}

void XorScramble(uint8_t* data, size_t length, uint32_t key) {
  size_t whole = length & ~size_t(3);
  for (size_t i = 0; i < whole; i += 4) StoreU32(data + i, LoadU32(data + i) ^ key);
  for (size_t i = whole; i < length; ++i) data[i] ^= uint8_t(key >> (8 * (i - whole)));
}

int DecodeScriptBlock(ByteReader& cursor, const ArchiveHeader& header,
                      const Blowfish* cipher, Bytes& script) {
  if (header.ScriptSize > cursor.Remaining()) return kErrInflate;
  script.assign(cursor.Current(), cursor.Current() + header.ScriptSize);
  cursor.Skip(header.ScriptSize);

  if (header.ArchiveFlags & kArcBlowfish) {
    Blowfish own;
    if (!cipher) {
      own.SetKey(header.BlowfishKey.data(), header.BlowfishKey.size());
      cipher = &own;
    }
    BlowfishDecipherBuffer(*cipher, script);
    // A rejected length field empties the block; that is reported by the
    // script check (25), not as an inflation failure.
    if (script.empty()) return kArcOk;
  } else {
    XorScramble(script.data(), script.size(), header.ScriptKey);
  }
  return InflateBuffer(script) ? kArcOk : kErrInflate;
}

void WriteArchiveHeader(ByteWriter& out, const ArchiveHeader& header) {
  out.U32(header.magic);
  out.CString(header.version);
  out.U32(header.ArchiveFlags);
  out.U32(header.ScriptSize);
  out.U32(header.ScriptKey);
  out.U32(header.EngineChecksum);
  out.U32(header.ArchiveEnd);
  out.U32(header.FileCount);
  out.U32(header.PayloadSize);
  out.U32(header.PayloadChecksum);
  for (uint32_t size : header.FileSizes) out.U32(size);
  if (header.ArchiveFlags & kArcBlowfish) out.Raw(header.BlowfishKey.data(), header.BlowfishKey.size());
}

bool FindEngineChecksumField(std::span<const uint8_t> archive, size_t& offset) {
  ByteReader reader(archive);
  uint32_t magic = 0;
  std::string version;
  if (!reader.ReadU32(magic) || magic != kArchiveMagic || !reader.ReadCString(version)) return false;
  offset = reader.Position() + 12;  // ArchiveFlags, ScriptSize, ScriptKey
  return offset + 4 <= archive.size();
}

}  // namespace ks
