// The PATH entry rule: which folder goes on PATH and how the value changes.
#include <gtest/gtest.h>

#include "portable/path_entry.h"
#include "portable/text.h"

namespace ks {
namespace {

TEST(PathEntry, Folder) {
  EXPECT_EQ(PathEntryFolder(u"C:\\App", u""), u"C:\\App");
  EXPECT_EQ(PathEntryFolder(u"C:\\App", u"bin"), u"C:\\App\\bin");
  EXPECT_EQ(PathEntryFolder(u"C:\\App\\", u"bin"), u"C:\\App\\bin");
  EXPECT_EQ(PathEntryFolder(u"C:\\App", u"D:\\Tools"), u"D:\\Tools");
}

TEST(PathEntry, EditTable) {
  struct Case {
    const char* name;
    const char16_t* value;
    const char16_t* folder;
    bool add;
    const char16_t* result;  // nullptr: unchanged
  };
  const Case kCases[] = {
      {"add appends with a separator", u"C:\\W;C:\\W\\S", u"C:\\App", true, u"C:\\W;C:\\W\\S;C:\\App"},
      {"add after a trailing separator", u"C:\\W;", u"C:\\App", true, u"C:\\W;C:\\App"},
      {"add: present in other case", u"C:\\W;c:\\app;C:\\X", u"C:\\App", true, nullptr},
      {"add: present as last entry", u"C:\\W;C:\\APP", u"C:\\App", true, nullptr},
      {"add: present with trailing backslash", u"C:\\App\\;C:\\W", u"C:\\App", true, nullptr},
      {"add: folder given with trailing backslash", u"C:\\W;C:\\App", u"C:\\App\\", true, nullptr},
      {"add: a longer entry is not a match", u"C:\\AB;C:\\W", u"C:\\A", true, u"C:\\AB;C:\\W;C:\\A"},
      {"add: a prefix entry is not a match", u"C:\\W;C:\\A", u"C:\\AB", true, u"C:\\W;C:\\A;C:\\AB"},
      {"add: empty value is left alone", u"", u"C:\\App", true, nullptr},
      {"remove middle entry", u"C:\\W;C:\\App;C:\\X", u"C:\\app", false, u"C:\\W;C:\\X"},
      {"remove first entry", u"C:\\App;C:\\W", u"C:\\App", false, u"C:\\W"},
      {"remove last entry takes its separator", u"C:\\W;C:\\App", u"C:\\App", false, u"C:\\W"},
      {"remove the only entry", u"C:\\App", u"C:\\App", false, u""},
      {"remove entry with trailing backslash", u"C:\\W;C:\\App\\;C:\\X", u"C:\\App", false, u"C:\\W;C:\\X"},
      {"remove: C:\\A is not inside C:\\AB", u"C:\\AB;C:\\W", u"C:\\A", false, nullptr},
      {"remove: missing", u"C:\\W;C:\\X", u"C:\\App", false, nullptr},
      {"remove first of two copies", u"C:\\App;C:\\W;C:\\App", u"C:\\App", false, u"C:\\W;C:\\App"},
      {"remove keeps empty entries elsewhere", u"C:\\W;;C:\\App;", u"C:\\App", false, u"C:\\W;;"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::optional<std::u16string> got = EditPathValue(c.value, c.folder, c.add);
    if (!c.result) {
      EXPECT_FALSE(got.has_value()) << Utf16ToUtf8(*got);
    } else {
      ASSERT_TRUE(got.has_value());
      EXPECT_EQ(Utf16ToUtf8(*got), Utf16ToUtf8(c.result));
    }
  }
}

// A PATH far over 4,096 characters is kept whole; the entry lands at its end
// and is found there again, also when it sits past the 4,096th character.
TEST(PathEntry, LongValueKeptWhole) {
  std::u16string value;
  for (int i = 0; value.size() < 9000; ++i) value += u"C:\\Some\\Long\\Tool\\Folder" + Widen(std::to_string(i)) + u";";
  value += u"C:\\Last";
  std::optional<std::u16string> added = EditPathValue(value, u"C:\\App", true);
  ASSERT_TRUE(added.has_value());
  EXPECT_EQ(*added, value + u";C:\\App");
  EXPECT_FALSE(EditPathValue(*added, u"c:\\app\\", true).has_value());
  std::optional<std::u16string> removed = EditPathValue(*added, u"C:\\App", false);
  ASSERT_TRUE(removed.has_value());
  EXPECT_EQ(*removed, value);
}

}  // namespace
}  // namespace ks
