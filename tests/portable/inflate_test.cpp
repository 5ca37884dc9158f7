// The inflation driver: output growth, truncated streams and the
// cancelling progress callback.
#include "portable/inflate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "portable/bytes.h"

namespace ks {
namespace {

// Deterministic data from a small alphabet: compresses to roughly half.
Bytes Noisy(size_t n) {
  Bytes out(n);
  uint32_t x = 12345;
  for (auto& b : out) { x = x * 1103515245 + 12345; b = uint8_t('a' + (x >> 16) % 16); }
  return out;
}

// Highly compressible: far beyond the 3 x input reserve.
Bytes Repetitive(size_t n) {
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) out[i] = uint8_t("installer "[i % 10]);
  return out;
}

TEST(Inflate, RoundTrips) {
  for (const Bytes& plain : {Noisy(1 << 20), Repetitive(1 << 20), Bytes{}, Bytes{'x'}}) {
    Bytes z = DeflateBuffer(plain.data(), plain.size());
    ASSERT_FALSE(z.empty());
    Bytes buffer = z;
    ASSERT_TRUE(InflateBuffer(buffer));
    EXPECT_EQ(buffer, plain);
  }
}

TEST(Inflate, IntoAppendsAndIgnoresBytesAfterTheStream) {
  Bytes plain = Noisy(100000);
  Bytes z = DeflateBuffer(plain.data(), plain.size());
  z.insert(z.end(), {1, 2, 3});
  Bytes out = {'h', 'i'};
  ASSERT_TRUE(InflateInto(z.data(), z.size(), out));
  ASSERT_EQ(out.size(), plain.size() + 2);
  EXPECT_TRUE(std::equal(plain.begin(), plain.end(), out.begin() + 2));
}

TEST(Inflate, DamagedStreamsFail) {
  Bytes plain = Noisy(200000);
  Bytes z = DeflateBuffer(plain.data(), plain.size());
  Bytes half(z.begin(), z.begin() + z.size() / 2);
  Bytes no_trailer(z.begin(), z.end() - 1);
  Bytes bad_header = z;
  bad_header[0] ^= 0xFF;
  Bytes bad_check = z;
  bad_check.back() ^= 0xFF;
  for (Bytes* input : {&half, &no_trailer, &bad_header, &bad_check}) {
    EXPECT_FALSE(InflateBuffer(*input));
  }
  Bytes empty;
  EXPECT_FALSE(InflateBuffer(empty));
}

TEST(Inflate, ProgressReportsTheStreamAndCancels) {
  Bytes plain = Repetitive(1 << 20);  // outgrows the first reserve several times
  Bytes z = DeflateBuffer(plain.data(), plain.size());
  z.insert(z.end(), {9, 9});

  // With no minimum interval the call always comes, with the whole stream.
  std::vector<std::array<uint64_t, 3>> calls;
  Bytes out = {'x'};
  ASSERT_TRUE(InflateInto(z.data(), z.size(), out,
                          [&](uint64_t done, uint64_t total, uint64_t bits) {
                            calls.push_back({done, total, bits});
                            return false;
                          },
                          std::chrono::nanoseconds(-1)));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::array<uint64_t, 3>{z.size() - 2, z.size(), uint64_t(plain.size()) * 8}));
  EXPECT_EQ(out.size(), plain.size() + 1);

  out.clear();
  EXPECT_FALSE(InflateInto(z.data(), z.size(), out, [](uint64_t, uint64_t, uint64_t) { return true; },
                           std::chrono::nanoseconds(-1)));
}

TEST(Inflate, DefaultIntervalThrottlesProgress) {
  Bytes plain = Noisy(1 << 20);
  Bytes buffer = DeflateBuffer(plain.data(), plain.size());
  // Whether the 200 ms pass depends on the machine; a call that does come
  // cancels, and a cancel must fail the inflation.
  bool called = false;
  bool ok = InflateBuffer(buffer, [&](uint64_t, uint64_t, uint64_t) { called = true; return true; });
  EXPECT_EQ(ok, !called);
  if (ok) {
    EXPECT_EQ(buffer, plain);
  }
}

}  // namespace
}  // namespace ks
