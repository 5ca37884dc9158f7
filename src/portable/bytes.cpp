// Little-endian byte streams over memory.
#include "bytes.h"

namespace ks {

bool ByteReader::ReadRaw(void* out, size_t n) {
  size_t take = n <= Remaining() ? n : Remaining();
  if (take) std::memcpy(out, data_.data() + pos_, take);
  if (take < n) std::memset(static_cast<uint8_t*>(out) + take, 0, n - take);
  pos_ += take;
  return take == n;
}

bool ByteReader::Skip(size_t n) {
  if (n > Remaining()) { pos_ = data_.size(); return false; }
  pos_ += n;
  return true;
}

bool ByteReader::ReadU16(uint16_t& v) {
  uint8_t b[2];
  bool ok = ReadRaw(b, 2);
  v = LoadU16(b);
  return ok;
}

bool ByteReader::ReadU32(uint32_t& v) {
  uint8_t b[4];
  bool ok = ReadRaw(b, 4);
  v = LoadU32(b);
  return ok;
}

bool ByteReader::ReadU64(uint64_t& v) {
  uint8_t b[8];
  bool ok = ReadRaw(b, 8);
  v = uint64_t(LoadU32(b)) | uint64_t(LoadU32(b + 4)) << 32;
  return ok;
}

bool ByteReader::ReadDouble(double& v) {
  uint64_t bits;
  bool ok = ReadU64(bits);
  std::memcpy(&v, &bits, 8);
  return ok;
}

bool ByteReader::ReadCString(std::string& out) {
  out.clear();
  const uint8_t* start = data_.data() + pos_;
  const void* zero = std::memchr(start, 0, Remaining());
  if (!zero) { pos_ = data_.size(); return false; }
  size_t len = static_cast<const uint8_t*>(zero) - start;
  out.assign(reinterpret_cast<const char*>(start), len);
  pos_ += len + 1;
  return true;
}

bool ByteReader::ReadWCString(std::u16string& out) {
  out.clear();
  while (Remaining() >= 2) {
    char16_t c = char16_t(LoadU16(data_.data() + pos_));
    pos_ += 2;
    if (c == 0) return true;
    out.push_back(c);
  }
  pos_ = data_.size();
  out.clear();
  return false;
}

void ByteWriter::U16(uint16_t v) { uint8_t b[2]; StoreU16(b, v); Raw(b, 2); }
void ByteWriter::U32(uint32_t v) { uint8_t b[4]; StoreU32(b, v); Raw(b, 4); }
void ByteWriter::U64(uint64_t v) { U32(uint32_t(v)); U32(uint32_t(v >> 32)); }
void ByteWriter::Double(double v) { uint64_t bits; std::memcpy(&bits, &v, 8); U64(bits); }
void ByteWriter::Raw(const void* p, size_t n) {
  auto* b = static_cast<const uint8_t*>(p);
  out_.insert(out_.end(), b, b + n);
}
void ByteWriter::CString(std::string_view s) { Raw(s.data(), s.size()); U8(0); }
void ByteWriter::WCString(std::u16string_view s) {
  for (char16_t c : s) U16(uint16_t(c));
  U16(0);
}
void ByteWriter::PatchU32(size_t at, uint32_t v) { StoreU32(out_.data() + at, v); }

}  // namespace ks
