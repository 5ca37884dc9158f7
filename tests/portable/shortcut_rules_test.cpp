// The shortcut phase's pure rules: link names, working folders, the target
// splits, creation flags and the removal records.
#include <gtest/gtest.h>

#include "portable/shortcut_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

std::string U8(const std::u16string& s) { return Utf16ToUtf8(s); }

TEST(ShortcutRules, LinkFileName) {
  struct Case { const char16_t* in; const char16_t* out; };
  const Case kCases[] = {
      {u"C:\\d\\App", u"C:\\d\\App.LNK"},
      {u"C:\\d\\App.lnk", u"C:\\d\\App.lnk"},
      {u"C:\\d\\App.LnK", u"C:\\d\\App.LnK"},
      {u"C:\\d\\App.lnk.txt", u"C:\\d\\App.lnk.txt.LNK"},
      {u"C:\\d\\lnk", u"C:\\d\\lnk.LNK"},
      {u".lnk", u".lnk"},
  };
  for (const Case& c : kCases) EXPECT_EQ(U8(LinkFileName(c.in)), U8(c.out)) << U8(c.in);
}

TEST(ShortcutRules, TrimWorkingFolder) {
  struct Case { const char16_t* in; const char16_t* out; };
  const Case kCases[] = {
      {u"C:\\\\\\", u"C:\\"},
      {u"  C:\\Work\\\\  ", u"C:\\Work"},
      {u"C:", u"C:\\"},
      {u"\\\\server\\share\\", u"\\\\server\\share"},
      {u"C:\\a b", u"C:\\a b"},
      {u"   ", u""},
      {u"\\\\", u""},
  };
  for (const Case& c : kCases) EXPECT_EQ(U8(TrimWorkingFolder(c.in)), U8(c.out)) << U8(c.in);
}

TEST(ShortcutRules, FlagsAndShowCommands) {
  EXPECT_EQ(ShortcutFlags(0, 0), 0u);
  EXPECT_EQ(ShortcutFlags(1, 0), unsigned(kShortcutAllUsers));
  EXPECT_EQ(ShortcutFlags(2, 1), unsigned(kShortcutMinimized));  // only 1 means all users
  EXPECT_EQ(ShortcutFlags(1, 2), unsigned(kShortcutAllUsers | kShortcutMaximized));
  EXPECT_EQ(ShortcutFlags(0, 3), 0u);
  EXPECT_EQ(ShowCommandFor(0), 0);
  EXPECT_EQ(ShowCommandFor(kShortcutAllUsers), 0);
  EXPECT_EQ(ShowCommandFor(kShortcutMinimized), 7);
  EXPECT_EQ(ShowCommandFor(kShortcutMaximized | kShortcutAllUsers), 3);
}

TEST(ShortcutRules, TildeArguments) {
  struct Case { const char16_t* in; bool split; const char16_t* program; const char16_t* arguments; };
  const Case kCases[] = {
      {u"~\"C:\\Tools\\x.exe\" -a  -b ", true, u"C:\\Tools\\x.exe", u"-a  -b"},
      {u"~\"C:\\Tools\\..\\Bin\\.\\x.exe\"", true, u"C:\\Bin\\x.exe", u""},
      {u"~\"%InstallDir%\\x.exe\"\t/q", true, u"%InstallDir%\\x.exe", u"/q"},
      {u"~\"C:\\open", false, u"", u""},  // no closing quote
      {u" ~\"C:\\x\"", false, u"", u""},
      {u"~C:\\x", false, u"", u""},
      {u"\"C:\\x\" a", false, u"", u""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(U8(c.in));
    ProgramSplit out;
    EXPECT_EQ(SplitTildeArguments(c.in, out), c.split);
    EXPECT_EQ(U8(out.program), U8(c.program));
    EXPECT_EQ(U8(out.arguments), U8(c.arguments));
  }
}

TEST(ShortcutRules, RootAndPinTargets) {
  struct Case { const char16_t* in; const char16_t* program; const char16_t* arguments; };
  const Case kRoot[] = {
      {u"E:\\App\\run.exe -x y", u"E:\\App\\run.exe", u"-x y"},
      {u"\"E:\\My App\\run.exe\"  -x", u"E:\\My App\\run.exe", u"-x"},
      {u"\"E:\\My App\\run.exe\"", u"E:\\My App\\run.exe", u""},
      {u"run.exe", u"run.exe", u""},
      {u"\"unclosed x", u"\"unclosed", u"x"},
  };
  for (const Case& c : kRoot) {
    ProgramSplit out = SplitRootTarget(c.in);
    EXPECT_EQ(U8(out.program), U8(c.program)) << U8(c.in);
    EXPECT_EQ(U8(out.arguments), U8(c.arguments)) << U8(c.in);
  }
  const Case kPin[] = {
      {u"C:\\My App\\run.exe -x", u"C:\\My App\\run.exe -x", u""},  // no quotes: the whole text
      {u"\"C:\\My App\\run.exe\"  -x  ", u"C:\\My App\\run.exe", u"-x"},
      {u"\"C:\\a.exe\"", u"C:\\a.exe", u""},
  };
  for (const Case& c : kPin) {
    ProgramSplit out = SplitPinTarget(c.in);
    EXPECT_EQ(U8(out.program), U8(c.program)) << U8(c.in);
    EXPECT_EQ(U8(out.arguments), U8(c.arguments)) << U8(c.in);
  }
}

TEST(ShortcutRules, CanonicalPath) {
  struct Case { const char16_t* in; const char16_t* out; };
  const Case kCases[] = {
      {u"C:\\a\\..\\b\\.\\c.exe", u"C:\\b\\c.exe"},
      {u"C:\\..\\..\\x", u"C:\\x"},
      {u"C:\\a\\\\b\\", u"C:\\a\\b\\"},
      {u"\\\\srv\\share\\a\\..\\b", u"\\\\srv\\share\\b"},
      {u"%InstallDir%\\x", u"%InstallDir%\\x"},
  };
  for (const Case& c : kCases) EXPECT_EQ(U8(CanonicalPath(c.in)), U8(c.out)) << U8(c.in);
}

TEST(ShortcutRules, RecordFromEntry) {
  ShortcutEntry e{"%InstallDir%\\a.exe", "Sub\\N\xC3\xA9", "|ic\xC3\xB4.ico", u"-x", "C:\\W", 1, 0, 1,
                  "\xE9t\xE9", 2, 1};
  ShortcutRecord r = RecordFromEntry(e);
  EXPECT_EQ(U8(r.Target), "%InstallDir%\\a.exe");
  EXPECT_EQ(r.Name, u"Sub\\N\u00e9");
  EXPECT_EQ(r.Icon, u"ic\u00f4.ico");             // "|" + UTF-8
  EXPECT_EQ(r.OtherFolder, u"\u00e9t\u00e9");     // code page 1252
  EXPECT_EQ(r.Arguments, u"-x");
  EXPECT_EQ(r.WorkingFolder, u"C:\\W");
  EXPECT_TRUE(r.OnDesktop && !r.InStartMenu && r.InStartup && r.KeepOnUninstall && r.ExpandTarget && !r.Quiet);
  EXPECT_EQ(r.WindowState, 2);
}

TEST(ShortcutRules, RemovalRecords) {
  struct Case { ShortcutPlace place; bool keep; const char16_t* name; bool file, folder; };
  const Case kCases[] = {
      {ShortcutPlace::kDesktop, false, u"App", true, false},
      {ShortcutPlace::kStartMenu, false, u"Tools\\App", true, true},
      {ShortcutPlace::kDesktopFolder, false, u"Sub\\App", true, true},
      {ShortcutPlace::kStartup, false, u"Sub\\App", true, false},
      {ShortcutPlace::kOtherFolder, false, u"App", true, true},
      {ShortcutPlace::kOtherFolder, true, u"App", false, false},
      {ShortcutPlace::kStartMenu, true, u"Tools\\App", false, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(U8(c.name));
    RemovalRecords r = RemovalFor(c.place, c.keep, c.name);
    EXPECT_EQ(r.file, c.file);
    EXPECT_EQ(r.folder, c.folder);
  }
}

}  // namespace
}  // namespace ks

namespace ks {
namespace {

TEST(ShortcutRules, TaskbarPinSystems) {
  struct Case { unsigned platform, major, minor; bool pin; bool wine = false; };
  const Case kCases[] = {
      {2, 6, 0, false},   // Vista
      {2, 6, 1, true},    // 7
      {2, 6, 3, true},    // 8.1
      {2, 6, 4, true},    // the 10 previews called themselves 6.4
      {2, 10, 0, false},  // 10 and 11
      {1, 6, 1, false},   // not NT
      {2, 6, 1, false, true},  // Wine as 7
  };
  for (const Case& c : kCases) {
    OsFacts os;
    os.platform_id = c.platform;
    os.major = c.major;
    os.minor = c.minor;
    os.wine = c.wine;
    EXPECT_EQ(TaskbarPinSupported(os), c.pin) << c.major << "." << c.minor;
  }
}

}  // namespace
}  // namespace ks
