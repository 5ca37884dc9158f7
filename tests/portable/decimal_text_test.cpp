// Fixed-point and hex text, and exact decimal <-> double, against the C
// library's printf and strtod as the reference.
#include "portable/decimal_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

namespace ks {
namespace {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
  char buffer[2048];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

uint64_t Bits(double v) {
  uint64_t b;
  memcpy(&b, &v, sizeof b);
  return b;
}

double FromBits(uint64_t b) {
  double v;
  memcpy(&v, &b, sizeof v);
  return v;
}

// Our parse of `text` agrees with strtod: the same double, bit for bit, and
// the same number of characters taken.
void ExpectParsesLikeStrtod(const std::string& text) {
  char* end = nullptr;
  double expected = strtod(text.c_str(), &end);
  size_t used = 99;
  double got = ParseReal(text, &used);
  EXPECT_EQ(used, size_t(end - text.c_str())) << text;
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(got)) << text;
    EXPECT_EQ(std::signbit(expected), std::signbit(got)) << text;
  } else {
    EXPECT_EQ(Bits(got), Bits(expected)) << text << ": " << got << " vs " << expected;
  }
}

TEST(FixedText, MatchesPrintfOnChosenValues) {
  const double values[] = {0.0, -0.0, 1.0, -1.0, 0.5, 1.5, 2.5, 0.125, 0.375, 1.005, 2.675, 0.0000005,
                           0.0000015, 0.0000025, -0.0000004, 999999.9999995, 1e-320, 5e-324, 1e22, 1e23,
                           123456789012345678.0, 1.7976931348623157e308, 4294967295.0, 18446744073709551616.0,
                           1152.0 / 1024, 3.0 / 1024, 9.995, 0.995, 99.995};
  for (double v : values) {
    for (int decimals : {0, 1, 2, 6, 20}) EXPECT_EQ(FixedText(v, decimals), Printf("%.*f", decimals, v)) << v;
  }
  EXPECT_EQ(FixedText(std::numeric_limits<double>::infinity(), 2), "inf");
  EXPECT_EQ(FixedText(-std::numeric_limits<double>::infinity(), 6), "-inf");
  EXPECT_EQ(FixedText(std::numeric_limits<double>::quiet_NaN(), 6), Printf("%.6f", std::numeric_limits<double>::quiet_NaN()));
}

TEST(FixedText, MatchesPrintfOnRandomDoubles) {
  std::mt19937_64 random(13);
  for (int n = 0; n < 3000; ++n) {
    double v = FromBits(random());
    if (!std::isfinite(v)) continue;
    // Mostly values of everyday size, where rounding at the last place matters.
    if (n % 3) v = std::ldexp(std::fmod(std::fabs(v), 1.0) + 0.5, int(random() % 80) - 40) * (n % 2 ? -1 : 1);
    for (int decimals : {2, 6}) EXPECT_EQ(FixedText(v, decimals), Printf("%.*f", decimals, v)) << Printf("%a", v);
  }
}

TEST(PaddedDecimalAndHexText, MatchPrintf) {
  const struct { int64_t value; int width; } cases[] = {{0, 1}, {7, 2}, {12, 2}, {123, 2}, {5, 4}, {2026, 4}, {-5, 4}, {-123, 2}, {0, 0}};
  for (auto c : cases) EXPECT_EQ(PaddedDecimal(c.value, c.width), Printf("%0*lld", c.width, (long long)c.value));
  const struct { uint64_t value; int width; } hex[] = {{0, 8}, {0x1F, 8}, {0xDEADBEEF, 8}, {0x800F0203, 8}, {0xABC, 1}, {0, 0}, {0x123456789ULL, 8}};
  for (auto c : hex) EXPECT_EQ(HexText(c.value, c.width), Printf("%0*llX", c.width, (unsigned long long)c.value));
}

TEST(ParseWhole, MatchesStrtoullAndStrtoll) {
  const char* texts[] = {"0", "42", "  \n\t17x", "+8", "-1", "-42", "", "-", "abc", "18446744073709551615",
                         "18446744073709551616", "99999999999999999999999", "-18446744073709551616",
                         "9223372036854775807", "9223372036854775808", "-9223372036854775808",
                         "-9223372036854775809", "0004294967296", "12 34"};
  for (const char* t : texts) {
    EXPECT_EQ(ParseUnsigned(t), strtoull(t, nullptr, 10)) << t;
    EXPECT_EQ(ParseSigned(t), strtoll(t, nullptr, 10)) << t;
  }
}

TEST(ParseReal, MatchesStrtodOnForms) {
  const char* texts[] = {"0", "-0", "1", "1.5", "  \t12.25xyz", "+3", "-2.5e3", "1e", "1e+", "1e-2", ".5", "5.", ".",
                         "-.e1", "", "x", "-", "1.7976931348623157e308", "1.8e308", "2.5e-324", "2.4e-324", "4.9e-324",
                         "1e-400", "1e400", "0.000000000000000000000000000001", "123456789012345678901234567890",
                         "inf", "-Infinity", "INFx", "nan", "-nan", "nan(123)", "nan(", "NaN(abc_1)z", "0x", "0x1p3",
                         "0X1.8P+1", "0x.8", "0x.p1", "0x1p-1074", "0x1p-1075", "0x1.00000000000008p0",
                         "0x1.000000000000081p0", "0x123456789abcdef123p-40", "0xg", "1.5 ", "00012", "0.0001e4",
                         "4503599627370496.5", "4503599627370497.5", "9007199254740993", "1.00000000000000011102230246251565404236316680908203125",
                         "1.00000000000000011102230246251565404236316680908203124", "1.00000000000000011102230246251565404236316680908203126"};
  for (const char* t : texts) ExpectParsesLikeStrtod(t);
}

TEST(ParseReal, MatchesStrtodOnRandomTexts) {
  std::mt19937_64 random(21);
  for (int n = 0; n < 2000; ++n) {
    double v = FromBits(random());
    if (!std::isfinite(v)) continue;
    ExpectParsesLikeStrtod(Printf("%.17g", v));
    ExpectParsesLikeStrtod(Printf("%.6f", std::ldexp(std::fmod(std::fabs(v), 1.0), int(random() % 40))));
    // The exact halfway point between two neighbouring doubles: ties go to even.
    long double mid = (static_cast<long double>(v) + std::nextafter(v, std::numeric_limits<double>::infinity())) / 2;
    if (std::fabs(v) < 1e300) ExpectParsesLikeStrtod(Printf("%.1100Le", mid));
  }
}

}  // namespace
}  // namespace ks
