// The command line: tokenizer and atoms as a table of lines.
#include "portable/command_line.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

struct Expect {
  bool automatic = false, uninstall = false, minimised = false, exit_codes = false;
  const char16_t* dir = nullptr;
  const char16_t* name = nullptr;
  const char16_t* uninstall_name = nullptr;
  const char16_t* program = nullptr;
  const char* b1 = nullptr;
  const char16_t* error = nullptr;  // prefix of the usage error
};

struct AtomCase {
  const char16_t* line;
  Expect expect;
};

const AtomCase kCases[] = {
    {u"setup.exe", {}},
    {u"\"C:\\dl\\setup.exe\" /a", {.automatic = true}},
    {u"setup.exe /d:\"C:\\My App\" /a", {.automatic = true, .dir = u"C:\\My App"}},
    {u"setup.exe /D:C:\\App", {.dir = u"C:\\App"}},
    {u"setup.exe   \t/a\t\t  -MIN  ", {.automatic = true, .minimised = true}},
    {u"setup.exe -min", {.minimised = true}},
    {u"setup.exe /a /e", {.automatic = true, .exit_codes = true}},
    {u"setup.exe -E /u:\"P\"", {.uninstall = true, .exit_codes = true, .uninstall_name = u"P"}},
    {u"setup.exe /e:1", {.error = u"Illegal command line atom:\r\n/e:1"}},
    {u"setup.exe /n:\"Tool \"\"X\"\"\"", {.name = u"Tool \"X\""}},
    {u"setup.exe /u:\"My Product\"", {.uninstall = true, .uninstall_name = u"My Product"}},
    {u"setup.exe /uninstall", {.uninstall = true}},
    {u"setup.exe /U", {.uninstall = true}},
    {u"setup.exe /r:\"C:\\p.exe `a b`\"", {.program = u"C:\\p.exe \"a b\""}},
    {u"setup.exe /b1:\"echo one~~echo `two`\"", {.b1 = "echo one\r\necho \"two\""}},
    {u"setup.exe /b1:echo", {.error = u"Illegal command line atom:\r\n/b1:echo"}},
    {u"setup.exe /x", {.error = u"Illegal command line atom:\r\n/x"}},
    {u"setup.exe foo", {.error = u"Unexpected command line parameter:\r\nfoo"}},
    {u"setup.exe /a /d:x /d:y", {.automatic = true, .dir = u"y"}},
    // The twentieth atom is never looked at, even when it is invalid.
    {u"s /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /MIN /bogus", {.automatic = true, .minimised = true}},
    {u"s /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /bogus", {.error = u"Illegal command line atom:\r\n/bogus"}},
    // An unclosed quote runs to the end of the line.
    {u"setup.exe /d:\"C:\\a b", {.dir = u"C:\\a b"}},
};

TEST(CommandLine, Atoms) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line)));
    CommandLine cl = ParseCommandLine(c.line);
    const Expect& e = c.expect;
    if (e.error) {
      EXPECT_EQ(cl.usage_error, e.error);
      continue;
    }
    EXPECT_EQ(cl.usage_error, u"");
    EXPECT_EQ(cl.AutomaticMode, e.automatic);
    EXPECT_EQ(cl.UninstallMode, e.uninstall);
    EXPECT_EQ(cl.Minimised, e.minimised);
    EXPECT_EQ(cl.DeploymentExitCodes, e.exit_codes);
    EXPECT_EQ(cl.InstallDir.value_or(u"<none>"), e.dir ? e.dir : u"<none>");
    EXPECT_EQ(cl.ProductName.value_or(u"<none>"), e.name ? e.name : u"<none>");
    EXPECT_EQ(cl.UninstallName.value_or(u"<none>"), e.uninstall_name ? e.uninstall_name : u"<none>");
    EXPECT_EQ(cl.RunProgram.value_or(u"<none>"), e.program ? e.program : u"<none>");
    EXPECT_EQ(cl.BatchAdditions[0], e.b1 ? e.b1 : "");
  }
}

TEST(CommandLine, TokensKeepQuotedSections) {
  std::u16string line = u"  /d:\"C:\\a \"\"b\"\"\"x  next";
  EXPECT_EQ(NextToken(line), u"/d:\"C:\\a \"b\"\"x");
  EXPECT_EQ(NextToken(line), u"next");
  EXPECT_EQ(NextToken(line), u"");
}

TEST(CommandLine, UsageNamesTheProgram) {
  std::u16string m = UsageMessage(u"Product name required", u"setup.exe");
  EXPECT_EQ(m.rfind(u"Product name required\r\n\r\nUsage:\r\nsetup.exe [/a] [/b1:", 0), 0u);
  EXPECT_NE(m.find(u"/r:\"program\"\tRun the specified program after a successful installation."), std::u16string::npos);
}

}  // namespace
}  // namespace ks
