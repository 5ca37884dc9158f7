// Little-endian byte streams over memory: the reader used for the archive header,
// the settings script and payload records; the writer used by the builder.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace ks {

using Bytes = std::vector<uint8_t>;

// Reads past the end fail and fill the target with zeros; the position never
// moves beyond the end, so a corrupt length can never make us read outside.
class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  size_t Position() const { return pos_; }
  size_t Size() const { return data_.size(); }
  size_t Remaining() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ >= data_.size(); }
  void Seek(size_t pos) { pos_ = pos < data_.size() ? pos : data_.size(); }
  const uint8_t* Current() const { return data_.data() + pos_; }
  std::span<const uint8_t> Data() const { return data_; }

  // Copies n bytes; on a short read copies what remains, zero-fills the rest,
  // consumes everything and returns false.
  bool ReadRaw(void* out, size_t n);
  bool Skip(size_t n);
  bool ReadU8(uint8_t& v) { return ReadRaw(&v, 1); }
  bool ReadU16(uint16_t& v);
  bool ReadU32(uint32_t& v);
  bool ReadU64(uint64_t& v);
  bool ReadDouble(double& v);
  // 8-bit text ending with a zero byte; the zero is consumed. Fails (and
  // consumes the rest) when no zero byte follows.
  bool ReadCString(std::string& out);
  // UTF-16LE text ending with a 16-bit zero.
  bool ReadWCString(std::u16string& out);

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

class ByteWriter {
 public:
  void U8(uint8_t v) { out_.push_back(v); }
  void U16(uint16_t v);
  void U32(uint32_t v);
  void U64(uint64_t v);
  void Double(double v);
  void Raw(const void* p, size_t n);
  void Raw(std::span<const uint8_t> b) { Raw(b.data(), b.size()); }
  void CString(std::string_view s);     // text + zero byte
  void WCString(std::u16string_view s); // UTF-16LE + 16-bit zero
  void PatchU32(size_t at, uint32_t v);

  size_t Size() const { return out_.size(); }
  Bytes& Data() { return out_; }
  Bytes Take() { return std::move(out_); }

 private:
  Bytes out_;
};

inline uint16_t LoadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t LoadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void StoreU16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void StoreU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}

}  // namespace ks
