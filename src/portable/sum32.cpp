// Sum32: the archive's check value over a byte range.
#include "sum32.h"

#include "bytes.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <emmintrin.h>
#endif

namespace ks {
namespace {

// The sum of `groups` little-endian u32s; four sums side by side keep the
// additions independent.
uint32_t SumGroupsScalar(const uint8_t* p, size_t groups) {
  uint32_t a = 0, b = 0, c = 0, d = 0;
  size_t i = 0;
  for (; i + 4 <= groups; i += 4, p += 16) {
    a += LoadU32(p);
    b += LoadU32(p + 4);
    c += LoadU32(p + 8);
    d += LoadU32(p + 12);
  }
  for (; i < groups; ++i, p += 4) a += LoadU32(p);
  return a + b + c + d;
}

#if defined(__i386__) || defined(__x86_64__)
// Eight words a step in two SSE2 registers; the lanes, added up at the end,
// give the same sum modulo 2^32. The payload's words pass through here twice
// (chunk checks and content checks), so this is a part of extraction's CPU.
__attribute__((target("sse2"))) uint32_t SumGroupsSse2(const uint8_t* p, size_t groups) {
  __m128i a = _mm_setzero_si128(), b = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 8 <= groups; i += 8, p += 32) {
    a = _mm_add_epi32(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    b = _mm_add_epi32(b, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
  }
  a = _mm_add_epi32(a, b);
  a = _mm_add_epi32(a, _mm_shuffle_epi32(a, 0x4E));
  a = _mm_add_epi32(a, _mm_shuffle_epi32(a, 0xB1));
  return uint32_t(_mm_cvtsi128_si32(a)) + SumGroupsScalar(p, groups - i);
}

// The 32-bit engine may meet a processor without SSE2.
uint32_t SumGroups(const uint8_t* p, size_t groups) {
  // cpuid straight away: the compiler's own feature probe brings a few
  // kilobytes of tables into the engine.
  static const bool sse2 = [] {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_SSE2);
  }();
  return sse2 ? SumGroupsSse2(p, groups) : SumGroupsScalar(p, groups);
}
#else
uint32_t SumGroups(const uint8_t* p, size_t groups) { return SumGroupsScalar(p, groups); }
#endif

uint32_t SignedTail(const uint8_t* p, size_t n) {
  uint32_t sum = 0;
  for (size_t i = 0; i < n; ++i) sum += uint32_t(int32_t(int8_t(p[i])));
  return sum;
}

}  // namespace

uint32_t Sum32(const void* data, long long length) {
  if (!data || length <= 0) return kSum32Seed;
  auto* p = static_cast<const uint8_t*>(data);
  size_t n = size_t(length), whole = n & ~size_t(3);
  return kSum32Seed + SumGroups(p, whole / 4) + SignedTail(p + whole, n - whole) + uint32_t(n);
}

void Sum32Stream::Update(const uint8_t* data, size_t length) {
  length_ += length;
  while (carried_ && carried_ < 4 && length) {
    carry_[carried_++] = *data++;
    --length;
    if (carried_ == 4) {
      sum_ += LoadU32(carry_);
      carried_ = 0;
    }
  }
  size_t whole = length & ~size_t(3);
  sum_ += SumGroups(data, whole / 4);
  for (size_t i = whole; i < length; ++i) carry_[carried_++] = data[i];
}

uint32_t Sum32Stream::Value() const {
  if (!length_) return kSum32Seed;
  return sum_ + SignedTail(carry_, carried_) + uint32_t(length_);
}

}  // namespace ks
