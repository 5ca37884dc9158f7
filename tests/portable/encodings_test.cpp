// The settings script's field encodings: PStr length forms byte for byte,
// round trips, and refusal of lengths the stream cannot hold.
#include "portable/encodings.h"

#include <gtest/gtest.h>

#include <functional>

namespace ks {
namespace {

struct LengthCase {
  uint32_t length;
  Bytes prefix;
};

const LengthCase kLengthCases[] = {
    {0, {0x00}},
    {1, {0x01}},
    {254, {0xFE}},
    {255, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00}},  // low byte 0xFF needs the u32 form
    {256, {0xFF, 0x00, 0x01}},
    {0x1234, {0xFF, 0x34, 0x12}},
    {0x1FF, {0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00}},
    {0xFFFE, {0xFF, 0xFE, 0xFF}},
    {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
    {0x10000, {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
};

TEST(PStr, LengthFormsAreByteExact) {
  for (const LengthCase& c : kLengthCases) {
    SCOPED_TRACE(c.length);
    ByteWriter w;
    WritePStrLength(w, c.length);
    EXPECT_EQ(w.Data(), c.prefix);

    ByteReader r(c.prefix);
    uint32_t length = 0xDEAD;
    EXPECT_TRUE(ReadPStrLength(r, length));
    EXPECT_EQ(length, c.length);
    EXPECT_TRUE(r.AtEnd());
  }
}

TEST(PStr, ContentAtTheFormBoundariesRoundTrips) {
  for (size_t n : {0u, 254u, 255u, 256u, 511u, 70000u}) {
    SCOPED_TRACE(n);
    std::string text(n, 'x');
    for (size_t i = 0; i < n; ++i) text[i] = char('a' + i % 26);
    ByteWriter w;
    WritePStrAnsi(w, text);
    w.U8(0x5A);  // the next field must start right after the content
    ByteReader r(w.Data());
    std::string back = "stale";
    EXPECT_TRUE(ReadPStrAnsi(r, back));
    EXPECT_EQ(back, text);
    uint8_t next = 0;
    EXPECT_TRUE(r.ReadU8(next));
    EXPECT_EQ(next, 0x5A);
  }
}

TEST(PStr, WideContentIsUtf16LeWithAByteLength) {
  ByteWriter w;
  WritePStr(w, u"A\u20AC");
  EXPECT_EQ(w.Data(), (Bytes{0x04, 'A', 0x00, 0xAC, 0x20}));

  // An odd byte length has no last character but is consumed.
  const Bytes odd = {0x03, 'A', 0x00, 'B', 0x07};
  ByteReader r(odd);
  std::u16string text;
  EXPECT_TRUE(ReadPStr(r, text));
  EXPECT_EQ(text, u"A");
  uint8_t next = 0;
  EXPECT_TRUE(r.ReadU8(next));
  EXPECT_EQ(next, 0x07);
}

TEST(PStr, AcceptsLongFormsOfShortLengths) {
  const Bytes three = {0xFF, 0x02, 0x00, 'h', 'i'};
  const Bytes six = {0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'h', 'i'};
  for (const Bytes& b : {three, six}) {
    ByteReader r(b);
    std::string text;
    EXPECT_TRUE(ReadPStrAnsi(r, text));
    EXPECT_EQ(text, "hi");
    EXPECT_TRUE(r.AtEnd());
  }
}

using Read8 = std::function<bool(ByteReader&, std::string&)>;

struct FailCase {
  const char* what;
  Read8 read;
  Bytes data;
};

TEST(Encodings, CorruptOrShortValuesFailEmptyAndEndTheStream) {
  const Read8 pstr = ReadPStrAnsi;
  const Read8 blob32 = ReadBlob32;
  const Read8 blob16 = ReadBlob16;
  const Read8 str8 = ReadStr8;
  const Read8 azstr = ReadAZStr;
  const FailCase cases[] = {
      {"PStr above the limit", pstr, {0xFF, 0xFF, 0x01, 0x00, 0x00, 0x40, 'a', 'b'}},
      // Exactly at the limit is a valid length, but the bytes are not there;
      // this must fail without reserving a gigabyte.
      {"PStr at the limit, short", pstr, {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40, 'a'}},
      {"PStr longer than the rest", pstr, {0x05, 'a', 'b'}},
      {"PStr 3-byte form cut", pstr, {0xFF, 0x05}},
      {"PStr 6-byte form cut", pstr, {0xFF, 0xFF, 0x05, 0x00}},
      {"PStr empty stream", pstr, {}},
      {"Blob32 negative", blob32, {0x00, 0x00, 0x00, 0x80, 'a', 'b'}},
      {"Blob32 -1", blob32, {0xFF, 0xFF, 0xFF, 0xFF, 'a'}},
      {"Blob32 huge", blob32, {0xFF, 0xFF, 0xFF, 0x7F, 'a'}},
      {"Blob32 longer than the rest", blob32, {0x05, 0x00, 0x00, 0x00, 'a', 'b', 'c'}},
      {"Blob32 length cut", blob32, {0x05, 0x00}},
      {"Blob16 longer than the rest", blob16, {0x03, 0x00, 'a', 'b'}},
      {"Str8 longer than the rest", str8, {0x02, 'a'}},
      {"AZStr without zero", azstr, {'a', 'b'}},
  };
  for (const FailCase& c : cases) {
    SCOPED_TRACE(c.what);
    ByteReader r(c.data);
    std::string out = "stale";
    EXPECT_FALSE(c.read(r, out));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(r.AtEnd());
  }

  const Bytes odd_tail = {'a', 0x00, 'b'};
  ByteReader r(odd_tail);
  std::u16string wide = u"stale";
  EXPECT_FALSE(ReadWZStr(r, wide));
  EXPECT_TRUE(wide.empty());
}

TEST(Encodings, EveryEncodingRoundTripsInSequence) {
  const std::string binary("\0\x01\xFFz", 4);
  ByteWriter w;
  WritePStr(w, u"wide \u00E9");
  WritePStrAnsi(w, "ansi");
  WriteWZStr(w, u"zero-ended \u20AC");
  WriteWZStr(w, u"");
  WriteAZStr(w, "narrow");
  WriteBlob32(w, binary);
  WriteBlob32(w, "");
  WriteBlob16(w, binary);
  WriteStr8(w, "1.2.3");
  // PStr 1+12, PStr 1+4, WZStr 2*13, WZStr 2, AZStr 7, Blob32 4+4, Blob32 4,
  // Blob16 2+4, Str8 1+5.
  EXPECT_EQ(w.Data().size(), 13u + 5 + 26 + 2 + 7 + 8 + 4 + 6 + 6);

  ByteReader r(w.Data());
  std::u16string wide;
  std::string narrow;
  EXPECT_TRUE(ReadPStr(r, wide));      EXPECT_EQ(wide, u"wide \u00E9");
  EXPECT_TRUE(ReadPStrAnsi(r, narrow)); EXPECT_EQ(narrow, "ansi");
  EXPECT_TRUE(ReadWZStr(r, wide));     EXPECT_EQ(wide, u"zero-ended \u20AC");
  EXPECT_TRUE(ReadWZStr(r, wide));     EXPECT_EQ(wide, u"");
  EXPECT_TRUE(ReadAZStr(r, narrow));   EXPECT_EQ(narrow, "narrow");
  EXPECT_TRUE(ReadBlob32(r, narrow));  EXPECT_EQ(narrow, binary);
  EXPECT_TRUE(ReadBlob32(r, narrow));  EXPECT_EQ(narrow, "");
  EXPECT_TRUE(ReadBlob16(r, narrow));  EXPECT_EQ(narrow, binary);
  EXPECT_TRUE(ReadStr8(r, narrow));    EXPECT_EQ(narrow, "1.2.3");
  EXPECT_TRUE(r.AtEnd());
}

TEST(Encodings, WritersKeepTheStreamInStepForValuesThatDoNotFit) {
  ByteWriter w;
  WriteBlob16(w, std::string(70000, 'b'));
  WriteStr8(w, std::string(300, 's'));
  WriteAZStr(w, std::string("cut\0here", 8));
  WriteWZStr(w, std::u16string(u"cut\0here", 8));
  w.U32(0xC0FFEE);

  ByteReader r(w.Data());
  std::string narrow;
  std::u16string wide;
  EXPECT_TRUE(ReadBlob16(r, narrow)); EXPECT_EQ(narrow.size(), 0xFFFFu);
  EXPECT_TRUE(ReadStr8(r, narrow));   EXPECT_EQ(narrow.size(), 0xFFu);
  EXPECT_TRUE(ReadAZStr(r, narrow));  EXPECT_EQ(narrow, "cut");
  EXPECT_TRUE(ReadWZStr(r, wide));    EXPECT_EQ(wide, u"cut");
  uint32_t sentinel = 0;
  EXPECT_TRUE(r.ReadU32(sentinel));
  EXPECT_EQ(sentinel, 0xC0FFEEu);
}

}  // namespace
}  // namespace ks
