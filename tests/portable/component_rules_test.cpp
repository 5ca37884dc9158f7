// Component registration texts: shared markers, counted files, record lines.
#include <gtest/gtest.h>

#include "portable/component_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

TEST(ComponentRules, StripSharedMarkers) {
  struct Case { std::u16string entry, path; };
  const Case kCases[] = {
      {u"C:\\a.dll", u"C:\\a.dll"},        {u"C:\\a.dll ", u"C:\\a.dll"},
      {u"C:\\a.dll^", u"C:\\a.dll"},       {u"C:\\a.tlb\u00A9", u"C:\\a.tlb"},
      // The order is "^", " ", 0xA9: each goes once, and only in that order.
      {u"C:\\a \u00A9", u"C:\\a "},        {u"C:\\a ^", u"C:\\a"},
      {u"C:\\a^ ", u"C:\\a^"},             {u"C:\\a  ", u"C:\\a "},
      {u"", u""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(Utf16ToUtf8(c.entry));
    EXPECT_EQ(StripSharedMarkers(c.entry), c.path);
  }
}

TEST(ComponentRules, CountedFilesText) {
  std::u16string counted;
  EXPECT_FALSE(IsCounted(counted, u"C:\\a.dll"));
  AppendCounted(counted, u"C:\\a.dll");
  AppendCounted(counted, u"C:\\b.dll^");
  EXPECT_EQ(counted, u"\"C:\\a.dll\";\"C:\\b.dll^\"");
  EXPECT_TRUE(IsCounted(counted, u"C:\\a.dll"));
  EXPECT_TRUE(IsCounted(counted, u"C:\\b.dll^"));
  // The marker is part of what was counted; a prefix of a counted path is not counted.
  EXPECT_FALSE(IsCounted(counted, u"C:\\b.dll"));
  EXPECT_FALSE(IsCounted(counted, u"C:\\a"));
}

TEST(ComponentRules, ProgressAndRecordTexts) {
  EXPECT_EQ(ItemProgressText(u"Registering <file>...", u"C:\\x.dll"), u"Registering C:\\x.dll...");
  EXPECT_EQ(ItemProgressText(u"<file> and <file>", u"a"), u"a and a");
  EXPECT_EQ(ItemProgressText(u"No placeholder", u"a"), u"No placeholder");
  EXPECT_EQ(AppletProgressName(u"Tool"), u"Control Panel extension \"Tool\"");

  EXPECT_EQ(AppletName("Caf\xC3\xA9", u"C:\\P\\tool.cpl"), u"Caf\u00E9");
  EXPECT_EQ(AppletName("", u"C:\\P\\tool.cpl"), u"tool.cpl");

  EXPECT_EQ(MsiRecordLine("C:\\P\\a.msi", 2), "\"C:\\P\\a.msi\",2");
  EXPECT_EQ(MsiRecordLine("|C:\\\xC3\xA9.msi", 5), "\"|C:\\\xC3\xA9.msi\",5");
}

TEST(ComponentRules, InfFailureLine) {
  EXPECT_EQ(InfFailureLine(2, u"File not found."), u"FAILED!  Code 0x00000002: File not found.\r\n");
  EXPECT_EQ(InfFailureLine(0xE000022F, u""),
            u"FAILED!  Code 0xE000022F: The INF does not contain digital signature information.\r\n");
  EXPECT_EQ(InfFailureLine(0xE000022F, u"Own text."), u"FAILED!  Code 0xE000022F: Own text.\r\n");
  EXPECT_EQ(InfFailureLine(0xE0000100, u""), u"FAILED!  Code 0xE0000100: \r\n");
}

}  // namespace
}  // namespace ks
