// Windows name rules and the NTFS case folding that decides when two names
// are one file.
#include <gtest/gtest.h>

#include "portable/file_name_rule.h"
#include "portable/text.h"

namespace ks {
namespace {

TEST(WindowsNameProblem, NamesWindowsCannotHold) {
  const struct {
    std::u16string name;
    NameProblem problem;
  } kCases[] = {
      {u"readme.txt", NameProblem::kNone},
      {u"a;b [1] #2 %x%", NameProblem::kNone},
      {u".hidden", NameProblem::kNone},
      {u"console", NameProblem::kNone},
      {u"COM10", NameProblem::kNone},
      {u"LPT0", NameProblem::kNone},
      {u"nulx.txt", NameProblem::kNone},
      {std::u16string(255, u'a'), NameProblem::kNone},
      {u"", NameProblem::kEmpty},
      {u".", NameProblem::kDotName},
      {u"..", NameProblem::kDotName},
      {u"CON", NameProblem::kReservedDevice},
      {u"nul", NameProblem::kReservedDevice},
      {u"Aux", NameProblem::kReservedDevice},
      {u"prn", NameProblem::kReservedDevice},
      {u"nul.txt", NameProblem::kReservedDevice},
      {u"con.tar.gz", NameProblem::kReservedDevice},
      {u"NUL .txt", NameProblem::kReservedDevice},
      {u"com1", NameProblem::kReservedDevice},
      {u"COM9.log", NameProblem::kReservedDevice},
      {u"lpt1", NameProblem::kReservedDevice},
      {u"LPT9", NameProblem::kReservedDevice},
      {u"COM\u00B9", NameProblem::kReservedDevice},
      {u"x.txt.", NameProblem::kTrailingDotOrSpace},
      {u"x.txt ", NameProblem::kTrailingDotOrSpace},
      {u"x\n.txt", NameProblem::kControlCharacter},
      {u"x\r", NameProblem::kControlCharacter},
      {std::u16string(u"x\0y", 3), NameProblem::kControlCharacter},
      {u"x\x1F", NameProblem::kControlCharacter},
      {std::u16string(256, u'a'), NameProblem::kTooLong},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(Utf16ToUtf8(c.name));
    EXPECT_EQ(WindowsNameProblem(c.name), c.problem);
  }
  for (char16_t forbidden : std::u16string_view(u"<>:\"/\\|?*")) {
    std::u16string name = u"a";
    name += forbidden;
    name += u"b";
    EXPECT_EQ(WindowsNameProblem(name), NameProblem::kForbiddenCharacter) << Utf16ToUtf8(name);
  }
}

TEST(NtfsUpcase, FoldsEveryUnitBySimpleMapping) {
  const struct {
    char16_t in, out;
  } kCases[] = {
      {u'a', u'A'},           {u'z', u'Z'},           {u'A', u'A'},           {u'1', u'1'},
      {u'\u00E9', u'\u00C9'},  // é
      {u'\u00FF', u'\u0178'},  // ÿ
      {u'\u0101', u'\u0100'},  // ā: every second unit in its run
      {u'\u0100', u'\u0100'},
      {u'\u00DF', u'\u00DF'},  // ß has no single upper-case unit
      {u'\u03C3', u'\u03A3'},  {u'\u03C2', u'\u03A3'},  // both sigmas
      {u'\u0430', u'\u0410'},  // Cyrillic а
      {u'\u1F80', u'\u1F88'},
      {u'\uFF41', u'\uFF21'},  // fullwidth a
      {char16_t(0xD801), char16_t(0xD801)},  // a surrogate stays as it is
      {u'\u00D7', u'\u00D7'},  // ×, between two runs
  };
  for (const auto& c : kCases) EXPECT_EQ(NtfsUpcase(c.in), c.out) << std::hex << int(c.in);
  EXPECT_EQ(NtfsUpcase(u"\u00C9t\u00E9.txt"), u"\u00C9T\u00C9.TXT");
  EXPECT_EQ(NtfsUpcase(u"\u00E9.txt"), NtfsUpcase(u"\u00C9.TXT"));
}

}  // namespace
}  // namespace ks
