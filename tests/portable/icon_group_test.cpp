// Icon files turned into a group resource and its images.
#include <gtest/gtest.h>

#include "portable/icon_group.h"

namespace ks {
namespace {

// An icon file with pictures of the given byte sizes, each filled with its number.
Bytes IconFile(std::vector<uint32_t> sizes) {
  Bytes out = {0, 0, 1, 0, uint8_t(sizes.size()), 0};
  uint32_t offset = uint32_t(6 + 16 * sizes.size());
  for (size_t i = 0; i < sizes.size(); ++i) {
    Bytes entry = {uint8_t(16 * (i + 1)), uint8_t(16 * (i + 1)), 0, 0, 1, 0, 32, 0};
    for (uint32_t v : {sizes[i], offset})
      for (int k = 0; k < 4; ++k) entry.push_back(uint8_t(v >> (8 * k)));
    out.insert(out.end(), entry.begin(), entry.end());
    offset += sizes[i];
  }
  for (size_t i = 0; i < sizes.size(); ++i) out.insert(out.end(), sizes[i], uint8_t(i + 1));
  return out;
}

TEST(IconGroup, GroupListsEveryPictureWithItsId) {
  Bytes ico = IconFile({40, 70});
  std::optional<IconGroup> g = IconGroupFromFile(ico, 5);
  ASSERT_TRUE(g);
  ASSERT_EQ(g->group.size(), 6u + 2 * 14);
  EXPECT_EQ(Bytes(g->group.begin(), g->group.begin() + 6), Bytes(ico.begin(), ico.begin() + 6));
  // Entry 2: width 32, then the size 70 and the id 6.
  EXPECT_EQ(g->group[6 + 14], 32);
  EXPECT_EQ(g->group[6 + 14 + 8], 70);
  EXPECT_EQ(g->group[6 + 14 + 12], 6);
  ASSERT_EQ(g->images.size(), 2u);
  EXPECT_EQ(g->images[0].size(), 40u);
  EXPECT_EQ(g->images[1].size(), 70u);
  EXPECT_EQ(g->images[1][0], 2);
}

TEST(IconGroup, RefusesWhatIsNoIconFile) {
  Bytes truncated = IconFile({40});
  truncated.pop_back();
  Bytes cursor = IconFile({40});
  cursor[2] = 2;
  Bytes none = IconFile({});
  for (const Bytes& bad : {truncated, cursor, none, Bytes{0, 0, 1}}) EXPECT_FALSE(IconGroupFromFile(bad, 1));
}

}  // namespace
}  // namespace ks
