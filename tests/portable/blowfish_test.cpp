// Blowfish: the published vectors, the archive's little-endian key words and
// the length framing of enciphered buffers.
#include "portable/blowfish.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "portable/bytes.h"

namespace ks {
namespace {

Bytes Hex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return out;
}

// The published vectors assume big-endian key words; our schedule reads
// little-endian ones, so the same schedule results from each 4-byte group reversed.
Bytes ReverseWords(Bytes key) {
  for (size_t i = 0; i + 4 <= key.size(); i += 4) std::reverse(key.begin() + i, key.begin() + i + 4);
  return key;
}

struct Vector { const char* key; const char* plain; const char* cipher; };
const Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
};

TEST(Blowfish, PublishedVectorsWithLittleEndianKeyWords) {
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(v.key);
    Bytes key = ReverseWords(Hex(v.key));
    Blowfish bf;
    bf.SetKey(key.data(), key.size());

    Bytes block = Hex(v.plain);
    bf.Encrypt(block.data(), block.size());
    EXPECT_EQ(block, Hex(v.cipher));
    bf.Decrypt(block.data(), block.size());
    EXPECT_EQ(block, Hex(v.plain));

    // The block API takes the same halves as big-endian words.
    Bytes plain = ReverseWords(Hex(v.plain)), cipher = ReverseWords(Hex(v.cipher));
    uint32_t l = LoadU32(plain.data()), r = LoadU32(plain.data() + 4);
    bf.EncryptBlock(l, r);
    EXPECT_EQ(l, LoadU32(cipher.data()));
    EXPECT_EQ(r, LoadU32(cipher.data() + 4));
    bf.DecryptBlock(l, r);
    EXPECT_EQ(l, LoadU32(plain.data()));
  }
}

TEST(Blowfish, KeyBytesAreNotTakenBigEndian) {
  // The unreversed key must not give the published result: byte 0 is the
  // low byte of word 0 here.
  Bytes key = Hex("3000000000000000"), block = Hex("1000000000000001");
  Blowfish bf;
  bf.SetKey(key.data(), key.size());
  bf.Encrypt(block.data(), block.size());
  EXPECT_NE(block, Hex("7D856F9A613063F2"));
}

TEST(Blowfish, KeyPadding) {
  const Bytes plain = Hex("0123456789ABCDEF");
  auto encrypt = [&](const Bytes& key) {
    Blowfish bf;
    bf.SetKey(key.data(), key.size());
    Bytes b = plain;
    bf.Encrypt(b.data(), b.size());
    return b;
  };
  // Short keys are zero-padded to 8 bytes, longer ones to whole words.
  EXPECT_EQ(encrypt(Hex("A1B2C3D4E5")), encrypt(Hex("A1B2C3D4E5000000")));
  EXPECT_EQ(encrypt(Bytes{}), encrypt(Hex("0000000000000000")));
  EXPECT_EQ(encrypt(Hex("A1B2C3D4E5F60718293A")), encrypt(Hex("A1B2C3D4E5F60718293A0000")));
  EXPECT_NE(encrypt(Hex("A1B2C3D4E5F60718293A")), encrypt(Hex("A1B2C3D4E5F6071800000000")));
  // At most 448 bits take part.
  Bytes long_key(56, 0x5A), longer = long_key;
  longer.resize(64, 0xC3);
  EXPECT_EQ(encrypt(long_key), encrypt(longer));
}

class BlowfishBuffer : public ::testing::Test {
 protected:
  void SetUp() override {
    const Bytes key = Hex("0102030405060708");
    bf_.SetKey(key.data(), key.size());
  }
  // An enciphered buffer of `size` bytes whose length field says `length`.
  Bytes Framed(size_t size, uint32_t length) {
    Bytes b(size, 0xAB);
    StoreU32(b.data() + size - 4, length);
    bf_.Encrypt(b.data(), b.size());
    return b;
  }
  Blowfish bf_;
};

TEST_F(BlowfishBuffer, RoundTrips) {
  for (size_t n = 0; n <= 40; ++n) {
    Bytes plain(n);
    for (size_t i = 0; i < n; ++i) plain[i] = uint8_t(i * 37 + 1);
    Bytes enc = BlowfishEncipherBuffer(bf_, plain);
    EXPECT_EQ(enc.size() % 8, 0u);
    EXPECT_GE(enc.size(), n + 4);
    EXPECT_LT(enc.size(), n + 12);
    BlowfishDecipherBuffer(bf_, enc);
    EXPECT_EQ(enc, plain) << n;
  }
}

TEST_F(BlowfishBuffer, BadShapesAreLeftAsTheyAre) {
  for (size_t n : {0, 4, 7, 12, 17}) {
    Bytes b(n, 0x33);
    BlowfishDecipherBuffer(bf_, b);
    EXPECT_EQ(b, Bytes(n, 0x33)) << n;
  }
}

TEST_F(BlowfishBuffer, LengthFieldBounds) {
  struct Case { size_t size; uint32_t length; bool kept; };
  const Case cases[] = {
      {16, 12, true},   // size - 4
      {16, 4, true},    // size - 12
      {16, 13, false},  // size - 3
      {16, 3, false},   // size - 13
      {8, 0, true},
      {8, 4, true},
      {8, 5, false},
      {24, 0xFFFFFFFF, false},
  };
  for (const Case& c : cases) {
    Bytes b = Framed(c.size, c.length);
    BlowfishDecipherBuffer(bf_, b);
    if (c.kept) {
      EXPECT_EQ(b, Bytes(c.length, 0xAB)) << c.size << "/" << c.length;
    } else {
      EXPECT_TRUE(b.empty()) << c.size << "/" << c.length;
    }
  }
}

}  // namespace
}  // namespace ks
