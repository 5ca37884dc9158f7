// The settings script's field encodings (PStr, WZStr, AZStr, Blob32, Blob16,
// Str8) read from and written to the byte streams of bytes.h.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "bytes.h"

namespace ks {

// Longest PStr content in bytes; anything longer is a corrupt length.
constexpr uint32_t kMaxPStrLength = 0x40000000;

// Every reader returns true on success. On failure the target is empty and
// the reader stands at the end of the stream: a corrupt length must not make
// the following fields decode from the middle of some other value, and no
// length is trusted (or allocated) before it is checked against the bytes left.

// PStr: packed byte length (1, 3 or 6 bytes), then the content. The wide form
// holds UTF-16LE; an odd last byte has no character and is dropped.
bool ReadPStr(ByteReader& in, std::u16string& out);
bool ReadPStrAnsi(ByteReader& in, std::string& out);
// Just the packed length, with the 0x40000000 limit applied.
bool ReadPStrLength(ByteReader& in, uint32_t& length);
bool ReadWZStr(ByteReader& in, std::u16string& out);
bool ReadAZStr(ByteReader& in, std::string& out);
bool ReadBlob32(ByteReader& in, std::string& out);  // negative length fails
bool ReadBlob16(ByteReader& in, std::string& out);
bool ReadStr8(ByteReader& in, std::string& out);

// Writers. Values longer than an encoding can hold (Blob16 over 65535 bytes,
// Str8 over 255, PStr over kMaxPStrLength) are cut to fit so the stream stays
// in step; an embedded zero in WZStr/AZStr text ends the value early. Callers
// that must not lose data check the limits first (SettingsWriteProblem).
void WritePStrLength(ByteWriter& out, uint32_t length);
void WritePStr(ByteWriter& out, std::u16string_view text);
void WritePStrAnsi(ByteWriter& out, std::string_view text);
void WriteWZStr(ByteWriter& out, std::u16string_view text);
void WriteAZStr(ByteWriter& out, std::string_view text);
void WriteBlob32(ByteWriter& out, std::string_view data);
void WriteBlob16(ByteWriter& out, std::string_view data);
void WriteStr8(ByteWriter& out, std::string_view data);

}  // namespace ks
