// Path rules: validity modes, absolute paths and resolution against a base.
#include "portable/path_rules.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace ks
