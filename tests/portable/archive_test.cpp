// The SetupArchive header checks and the ScriptBlock codec in both modes.
#include "portable/archive.h"

#include <gtest/gtest.h>

#include <functional>

#include "portable/sum32.h"

namespace ks {
namespace {

ArchiveHeader ValidHeader(bool blowfish = false) {
  ArchiveHeader h;
  h.ArchiveFlags = kArcUninstallerImage | (blowfish ? uint32_t(kArcBlowfish) : 0u);
  h.ScriptSize = 100;
  h.ScriptKey = 0x11223344;
  h.EngineChecksum = 0x55667788;
  h.ArchiveEnd = 5000;
  h.FileSizes = {10, 0, kMaxFileSize};
  h.FileCount = 3;
  h.PayloadSize = 4000;
  h.PayloadChecksum = 0x99AABBCC;
  h.BlowfishKey = {1, 2, 3, 4, 5, 6, 7, 8};
  return h;
}

// A header followed by `trailing` bytes (standing in for the ScriptBlock).
Bytes Serialize(const ArchiveHeader& h, size_t trailing = 100) {
  ByteWriter w;
  WriteArchiveHeader(w, h);
  w.Data().resize(w.Size() + trailing, 0xEE);
  return w.Take();
}

TEST(ArchiveHeader, RoundTripsBothModes) {
  for (bool blowfish : {false, true}) {
    ArchiveHeader in = ValidHeader(blowfish);
    Bytes data = Serialize(in, 0);
    ByteReader cursor(data);
    ArchiveHeader out;
    ASSERT_EQ(ReadArchiveHeader(cursor, out), kArcOk);
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_EQ(out.version, "34.0");
    EXPECT_EQ(out.ArchiveFlags, in.ArchiveFlags);
    EXPECT_EQ(out.ScriptSize, in.ScriptSize);
    EXPECT_EQ(out.ScriptKey, in.ScriptKey);
    EXPECT_EQ(out.EngineChecksum, in.EngineChecksum);
    EXPECT_EQ(out.ArchiveEnd, in.ArchiveEnd);
    EXPECT_EQ(out.FileCount, in.FileCount);
    EXPECT_EQ(out.PayloadSize, in.PayloadSize);
    EXPECT_EQ(out.PayloadChecksum, in.PayloadChecksum);
    EXPECT_EQ(out.FileSizes, in.FileSizes);
    EXPECT_EQ(out.BlowfishKey, (blowfish ? in.BlowfishKey : std::array<uint8_t, 8>{}));
  }
}

TEST(ArchiveHeader, Checks) {
  struct Case {
    const char* what;
    std::function<void(ArchiveHeader&)> change;
    int expect;
  };
  const Case cases[] = {
      {"magic", [](ArchiveHeader& h) { h.magic = 0xA4F23DE4; }, kErrMagic},
      {"other version", [](ArchiveHeader& h) { h.version = "33.0"; }, kErrVersionMismatch},
      {"version prefix", [](ArchiveHeader& h) { h.version = "34.01"; }, kErrVersionMismatch},
      {"script size 0", [](ArchiveHeader& h) { h.ScriptSize = 0; }, kErrScriptSize},
      {"script size max", [](ArchiveHeader& h) { h.ScriptSize = kMaxScriptSize; }, kArcOk},
      {"script size max+1", [](ArchiveHeader& h) { h.ScriptSize = kMaxScriptSize + 1; }, kErrScriptSize},
      {"script size negative", [](ArchiveHeader& h) { h.ScriptSize = 0xFFFFFFFF; }, kErrScriptSize},
      {"archive end negative", [](ArchiveHeader& h) { h.ArchiveEnd = 0x80000000; }, kErrArchiveEnd},
      {"file count negative", [](ArchiveHeader& h) { h.FileCount = 0x80000000; h.FileSizes.clear(); }, kErrFileCount},
      {"file count zero", [](ArchiveHeader& h) { h.FileCount = 0; h.FileSizes.clear(); }, kArcOk},
      {"file count beyond data", [](ArchiveHeader& h) { h.FileCount = 0x7FFFFFFF; }, kErrFileCount},
      {"file size too big", [](ArchiveHeader& h) { h.FileSizes[1] = kMaxFileSize + 1; }, kErrFileSize},
      {"file size negative", [](ArchiveHeader& h) { h.FileSizes[2] = 0xFFFFFFFF; }, kErrFileSize},
      {"payload size negative", [](ArchiveHeader& h) { h.PayloadSize = 0x80000000; }, kErrPayloadSize},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ArchiveHeader in = ValidHeader();
    c.change(in);
    Bytes data = Serialize(in);
    ByteReader cursor(data);
    ArchiveHeader out;
    EXPECT_EQ(ReadArchiveHeader(cursor, out), c.expect);
    if (c.expect == kErrVersionMismatch) {
      EXPECT_EQ(out.version, in.version);  // shown in the message
    }
    if (c.expect == kErrFileCount || c.expect == kArcOk) {
      EXPECT_EQ(out.FileSizes.size(), c.expect == kArcOk ? in.FileCount : 0u);
    }
  }
}

TEST(ArchiveHeader, TruncatedHeaderNeverPasses) {
  // Any cut leaves a header that fails, or no room for the ScriptBlock.
  Bytes full = Serialize(ValidHeader(true), 0);
  for (size_t cut = 0; cut < full.size(); ++cut) {
    Bytes data(full.begin(), full.begin() + cut);
    ByteReader cursor(data);
    ArchiveHeader h;
    Bytes script;
    int rc = ReadArchiveHeader(cursor, h);
    if (rc == kArcOk) rc = DecodeScriptBlock(cursor, h, nullptr, script);
    EXPECT_NE(rc, kArcOk) << cut;
  }
}

TEST(XorScramble, TailBytesUseTheKeysLowBytes) {
  const uint8_t key_bytes[] = {0x11, 0x22, 0x33, 0x44};
  for (size_t n = 0; n <= 7; ++n) {
    Bytes data(n, 0);
    XorScramble(data.data(), n, 0x44332211);
    for (size_t i = 0; i < n; ++i) EXPECT_EQ(data[i], key_bytes[i % 4]) << n << "/" << i;
    XorScramble(data.data(), n, 0x44332211);
    EXPECT_EQ(data, Bytes(n, 0));
  }
}

class ScriptBlock : public ::testing::TestWithParam<bool> {};

TEST_P(ScriptBlock, EncodeThenReadAndDecode) {
  Bytes plain;
  for (int i = 0; i < 50001; ++i) plain.push_back(uint8_t("settings"[i % 8] + i % 3));
  ArchiveHeader h = ValidHeader(GetParam());
  Bytes block = EncodeScriptBlock(plain, h);
  EXPECT_EQ(h.ScriptKey, Sum32(plain.data(), (long long)plain.size()));
  EXPECT_EQ(h.ScriptSize, block.size());
  EXPECT_LT(block.size(), plain.size());

  ByteWriter w;
  WriteArchiveHeader(w, h);
  w.Raw(block);
  w.U32(0xFEEDF00D);  // first payload bytes
  Bytes archive = w.Take();

  ByteReader cursor(archive);
  ArchiveHeader read;
  ASSERT_EQ(ReadArchiveHeader(cursor, read), kArcOk);
  Bytes script;
  ASSERT_EQ(DecodeScriptBlock(cursor, read, nullptr, script), kArcOk);
  EXPECT_EQ(script, plain);
  uint32_t next = 0;
  EXPECT_TRUE(cursor.ReadU32(next));  // the cursor stops at ScriptEnd
  EXPECT_EQ(next, 0xFEEDF00Du);

  if (GetParam()) {
    // An explicit cipher is used as given: another key cannot decode it.
    Blowfish wrong;
    const uint8_t key[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    wrong.SetKey(key, 8);
    ByteReader again(archive);
    ASSERT_EQ(ReadArchiveHeader(again, read), kArcOk);
    Bytes other;
    int rc = DecodeScriptBlock(again, read, &wrong, other);
    EXPECT_TRUE(rc == kErrInflate || other.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(BothModes, ScriptBlock, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Blowfish" : "Xor"; });

int Decode(const ArchiveHeader& h, const Bytes& block, Bytes& script) {
  ByteReader cursor(block);
  return DecodeScriptBlock(cursor, h, nullptr, script);
}

TEST(ScriptBlockErrors, DamagedBlocks) {
  Bytes script;
  ArchiveHeader xor_header = ValidHeader(false);
  Bytes garbage(64, 0x5C);
  xor_header.ScriptSize = uint32_t(garbage.size());
  EXPECT_EQ(Decode(xor_header, garbage, script), kErrInflate);

  // Longer than the data left: refused before copying.
  xor_header.ScriptSize = 65;
  EXPECT_EQ(Decode(xor_header, garbage, script), kErrInflate);

  // 12 bytes are not whole blocks: left enciphered, so inflation fails.
  ArchiveHeader bf_header = ValidHeader(true);
  Bytes plain = {1, 2, 3};
  Bytes twelve = EncodeScriptBlock(plain, bf_header);
  twelve.resize(12, 0);
  bf_header.ScriptSize = 12;
  EXPECT_EQ(Decode(bf_header, twelve, script), kErrInflate);
}

TEST(ScriptBlockErrors, RejectedBlowfishLengthLeavesAnEmptyScript) {
  // A length field of size - 3 empties the block; the script check (25) then
  // fails because Sum32 of nothing is the seed.
  ArchiveHeader h = ValidHeader(true);
  Blowfish bf;
  bf.SetKey(h.BlowfishKey.data(), h.BlowfishKey.size());
  Bytes block(16, 0);
  StoreU32(block.data() + 12, 13);
  bf.Encrypt(block.data(), block.size());
  h.ScriptSize = 16;
  Bytes script = {1};
  EXPECT_EQ(Decode(h, block, script), kArcOk);
  EXPECT_TRUE(script.empty());
  EXPECT_NE(Sum32(script.data(), 0), h.ScriptKey);
}

TEST(ArchiveHeader, EngineChecksumField) {
  ArchiveHeader h = ValidHeader();
  Bytes data = Serialize(h, 0);
  size_t offset = 0;
  ASSERT_TRUE(FindEngineChecksumField(data, offset));
  EXPECT_EQ(offset, 21u);  // magic, "34.0\0", ArchiveFlags, ScriptSize, ScriptKey
  EXPECT_EQ(LoadU32(data.data() + offset), h.EngineChecksum);
  data[0] ^= 1;
  EXPECT_FALSE(FindEngineChecksumField(data, offset));
}

}  // namespace
}  // namespace ks
