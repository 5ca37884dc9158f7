// The settings script's field encodings.
#include "encodings.h"

namespace ks {
namespace {

// Gives up on the rest of the stream after a corrupt or short value.
bool Fail(ByteReader& in) {
  in.Seek(in.Size());
  return false;
}

// Reads `length` bytes into `out` only when the stream holds them.
bool ReadBytes(ByteReader& in, uint64_t length, std::string& out) {
  out.clear();
  if (length > in.Remaining()) return Fail(in);
  out.resize(size_t(length));
  return in.ReadRaw(out.data(), out.size());
}

std::u16string FromUtf16Le(std::string_view bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = char16_t(LoadU16(reinterpret_cast<const uint8_t*>(bytes.data()) + 2 * i));
  return text;
}

std::u16string_view UpToZero(std::u16string_view s) { return s.substr(0, s.find(u'\0')); }
std::string_view UpToZero(std::string_view s) { return s.substr(0, s.find('\0')); }

}  // namespace

bool ReadPStrLength(ByteReader& in, uint32_t& length) {
  length = 0;
  uint8_t l0 = 0;
  if (!in.ReadU8(l0)) return Fail(in);
  if (l0 < 0xFF) {
    length = l0;
    return true;
  }
  uint8_t l1 = 0;
  if (!in.ReadU8(l1)) return Fail(in);
  if (l1 < 0xFF) {
    uint8_t l2 = 0;
    if (!in.ReadU8(l2)) return Fail(in);
    length = l1 + 256u * l2;
    return true;
  }
  uint32_t wide = 0;
  if (!in.ReadU32(wide) || wide > kMaxPStrLength) return Fail(in);
  length = wide;
  return true;
}

bool ReadPStrAnsi(ByteReader& in, std::string& out) {
  out.clear();
  uint32_t length = 0;
  return ReadPStrLength(in, length) && ReadBytes(in, length, out);
}

bool ReadPStr(ByteReader& in, std::u16string& out) {
  out.clear();
  std::string bytes;
  if (!ReadPStrAnsi(in, bytes)) return false;
  out = FromUtf16Le(bytes);
  return true;
}

bool ReadWZStr(ByteReader& in, std::u16string& out) {
  return in.ReadWCString(out) || Fail(in);
}

bool ReadAZStr(ByteReader& in, std::string& out) {
  return in.ReadCString(out) || Fail(in);
}

bool ReadBlob32(ByteReader& in, std::string& out) {
  out.clear();
  uint32_t length = 0;
  if (!in.ReadU32(length) || int32_t(length) < 0) return Fail(in);
  return ReadBytes(in, length, out);
}

bool ReadBlob16(ByteReader& in, std::string& out) {
  out.clear();
  uint16_t length = 0;
  if (!in.ReadU16(length)) return Fail(in);
  return ReadBytes(in, length, out);
}

bool ReadStr8(ByteReader& in, std::string& out) {
  out.clear();
  uint8_t length = 0;
  if (!in.ReadU8(length)) return Fail(in);
  return ReadBytes(in, length, out);
}

void WritePStrLength(ByteWriter& out, uint32_t length) {
  if (length <= 254) {
    out.U8(uint8_t(length));
  } else if (length <= 0xFFFF && (length & 0xFF) != 0xFF) {
    // The low byte may not be 0xFF: that value announces the u32 form.
    out.U8(0xFF);
    out.U8(uint8_t(length));
    out.U8(uint8_t(length >> 8));
  } else {
    out.U8(0xFF);
    out.U8(0xFF);
    out.U32(length);
  }
}

void WritePStrAnsi(ByteWriter& out, std::string_view text) {
  text = text.substr(0, kMaxPStrLength);
  WritePStrLength(out, uint32_t(text.size()));
  out.Raw(text.data(), text.size());
}

void WritePStr(ByteWriter& out, std::u16string_view text) {
  text = text.substr(0, kMaxPStrLength / 2);
  WritePStrLength(out, uint32_t(text.size() * 2));
  for (char16_t c : text) out.U16(uint16_t(c));
}

void WriteWZStr(ByteWriter& out, std::u16string_view text) { out.WCString(UpToZero(text)); }

void WriteAZStr(ByteWriter& out, std::string_view text) { out.CString(UpToZero(text)); }

void WriteBlob32(ByteWriter& out, std::string_view data) {
  data = data.substr(0, 0x7FFFFFFF);
  out.U32(uint32_t(data.size()));
  out.Raw(data.data(), data.size());
}

void WriteBlob16(ByteWriter& out, std::string_view data) {
  data = data.substr(0, 0xFFFF);
  out.U16(uint16_t(data.size()));
  out.Raw(data.data(), data.size());
}

void WriteStr8(ByteWriter& out, std::string_view data) {
  data = data.substr(0, 0xFF);
  out.U8(uint8_t(data.size()));
  out.Raw(data.data(), data.size());
}

}  // namespace ks
