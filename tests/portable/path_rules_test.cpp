// Path rules: validity modes, absolute paths and resolution against a base.
#include "portable/path_rules.h"

#include <gtest/gtest.h>

#include "portable/text.h"

namespace ks {
namespace {

TEST(PathRules, Validity) {
  struct Case { const char16_t* path; unsigned flags; bool valid; };
  const Case kCases[] = {
      {u"C:\\Program Files\\App", 0, true},
      {u"\\\\server\\share\\folder", 0, true},
      {u"C:\\a\\\\b", 0, false},
      {u"C:\\\\a", 0, false},
      {u"C:\\App\\", 0, false},
      {u"C:\\App\\", kPathAllowTrailingSlash, true},
      {u" C:\\App", 0, false},
      {u" C:\\App\t", kPathTrim, true},
      {u"\"C:\\My App\"", 0, true},
      {u"1:\\App", 0, false},
      {u"C:\\a:b", 0, false},
      {u"C:\\*.txt", 0, false},
      {u"C:\\*.txt", kPathAllowStar, true},
      {u"C:\\?.txt", kPathAllowStar, false},
      {u"C:\\?.txt", kPathAllowQuestion, true},
      {u"C:\\a;b", kPathAllowStar | kPathAllowQuestion, false},
      {u"", 0, false},
      {u"C:\\a/b", 0, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - kCases));
    EXPECT_EQ(IsValidPath(std::u16string_view(c.path), c.flags), c.valid);
  }
  EXPECT_TRUE(IsValidPath(std::string_view("|C:\\\xC3\xA9t\xC3\xA9"), 0));
}

TEST(PathRules, Absolute) {
  EXPECT_TRUE(IsAbsolutePath(std::u16string_view(u"C:\\x")));
  EXPECT_TRUE(IsAbsolutePath(std::u16string_view(u"\\\\srv\\s")));
  EXPECT_TRUE(IsAbsolutePath(std::string_view("|D:\\x")));
  EXPECT_FALSE(IsAbsolutePath(std::u16string_view(u"C:x")));
  EXPECT_FALSE(IsAbsolutePath(std::u16string_view(u"\\x")));
}

TEST(PathRules, FileNames) {
  EXPECT_TRUE(IsValidFileName(u"readme.txt"));
  for (auto bad : {u"", u".", u"..", u"a*b", u"a\\b", u"a;b"}) EXPECT_FALSE(IsValidFileName(bad));
}

TEST(PathRules, Resolve) {
  struct Case { const char16_t* path; const char16_t* base; bool changed; const char16_t* result; };
  const Case kCases[] = {
      {u"bin\\app.exe", u"C:\\Prog\\App", true, u"C:\\Prog\\App\\bin\\app.exe"},
      {u"bin", u"C:\\Prog\\App\\", true, u"C:\\Prog\\App\\bin"},
      {u"..\\..\\x", u"C:\\a\\b\\c", true, u"C:\\a\\x"},
      {u"..\\..\\..\\..\\x", u"C:\\a", true, u"C:\\..\\..\\..\\x"},
      {u"\\top", u"D:\\a\\b", true, u"D:\\top"},
      {u"E:rel", u"C:\\a\\b", true, u"E:\\a\\b\\rel"},
      {u"E:\\abs", u"C:\\a", false, u"E:\\abs"},
      {u"\\\\srv\\s", u"C:\\a", false, u"\\\\srv\\s"},
      {u"x", u"relative\\base", false, u"x"},
      {u"", u"C:\\a", false, u""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - kCases));
    std::u16string p = c.path;
    EXPECT_EQ(ResolvePath(p, c.base), c.changed);
    EXPECT_EQ(p, c.result);
  }
  std::u16string p = u"x";
  EXPECT_TRUE(ResolvePath(p, u"relative", 1));
  EXPECT_EQ(p, u"relative\\x");
}

TEST(PathRules, ContainedRelativePaths) {
  struct Case { const char16_t* name; bool contained; };
  const Case kCases[] = {
      {u"readme.txt", true},
      {u"sub\\deep\\data.bin", true},
      {u"b/0@+", true},  // the hidden-progress name: "/" separates, nothing climbs
      {u"a..b\\.profile", true},
      {u"a\\\\b", true},
      {u"", false},
      {u"..\\..\\x", false},
      {u"x\\..\\..\\y", false},
      {u"x/../y", false},
      {u"..", false},
      {u"a\\.\\b", false},
      {u"a\\...\\b", false},
      {u"a\\. .\\b", false},
      {u"\\x", false},
      {u"/x", false},
      {u"\\\\server\\share\\x", false},
      {u"C:\\Windows\\x.dll", false},
      {u"C:x.dll", false},
      {u"file.txt:stream", false},
  };
  for (const Case& c : kCases) EXPECT_EQ(IsContainedRelativePath(c.name), c.contained) << Utf16ToUtf8(c.name);
}

TEST(PathRules, PlaceBelow) {
  struct Case { const char16_t* path; const char16_t* base; const char16_t* placed; };
  const Case kCases[] = {
      {u"C:\\Other\\x", u"C:\\App", u"C:\\Other\\x"},
      {u"\\\\srv\\s\\x", u"C:\\App", u"\\\\srv\\s\\x"},
      {u"x.txt", u"C:\\App", u"C:\\App\\x.txt"},
      {u"\\x.txt", u"C:\\App\\", u"C:\\App\\x.txt"},
      {u"\\docs\\", u"C:\\App", u"C:\\App\\docs\\"},
      {u"\\", u"C:\\App", u"C:\\App\\"},
      {u"a\\.\\b\\..\\c", u"C:\\App", u"C:\\App\\a\\c"},
      {u"x", u"C:\\", u"C:\\x"},
      {u"..\\x", u"C:\\App", u""},
      {u"a\\..\\..\\x", u"C:\\App", u""},
      {u"D:x", u"C:\\App", u""},
      {u"x", u"", u""},
      {u"x", u"App", u""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(Utf16ToUtf8(c.path) + " below " + Utf16ToUtf8(c.base));
    EXPECT_EQ(Utf16ToUtf8(PlaceBelow(c.path, c.base)), Utf16ToUtf8(c.placed));
  }
}

}  // namespace
}  // namespace ks
