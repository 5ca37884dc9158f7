// Version comparison.
#include "version.h"

#include <cstdint>

namespace ks {
namespace {

template <typename C>
uint64_t PieceValue(std::basic_string_view<C>& s) {
  uint64_t v = 0;
  size_t i = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    if (v < UINT64_MAX / 10 - 10) v = v * 10 + uint64_t(s[i] - '0');  // saturate absurd pieces
  }
  size_t dot = s.find(C('.'), i);
  s = dot == std::basic_string_view<C>::npos ? std::basic_string_view<C>() : s.substr(dot + 1);
  return v;
}

template <typename C>
int Compare(std::basic_string_view<C> a, std::basic_string_view<C> b) {
  while (!a.empty() || !b.empty()) {
    uint64_t x = PieceValue(a), y = PieceValue(b);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) { return Compare(a, b); }
int CompareVersions(std::u16string_view a, std::u16string_view b) { return Compare(a, b); }

}  // namespace ks
