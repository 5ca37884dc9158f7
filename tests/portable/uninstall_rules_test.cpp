// The uninstall run's pure rules: flag words, folder order, the self-deletion batch.
#include <gtest/gtest.h>

#include "portable/text.h"
#include "portable/uninstall_rules.h"

namespace ks {
namespace {

TEST(UninstallRules, ProductFlagsSplitIntoBothWords) {
  struct Case { const char16_t* text; uint32_t low, high; } cases[] = {
      {u"0", 0, 0},
      {u"512", 0x200, 0},
      {u"4294967296", 0, 1},
      {u"18446744073709551615", 0xFFFFFFFFu, 0xFFFFFFFFu},
      {u"9895604650496", 0x200, 0x900},
      {u"", 0, 0},
      {u"abc", 0, 0},
  };
  for (const Case& c : cases) {
    ProductFlagWords w = SplitProductFlags(c.text);
    EXPECT_EQ(w.option_flags, c.low) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
    EXPECT_EQ(w.option_flags2, c.high);
  }
}

TEST(UninstallRules, FoldersDeepestFirstKeepOrderAndDropCaseDuplicates) {
  std::vector<std::u16string> in = {u"C:\\App\\a", u"C:\\App\\a\\b\\c", u"C:\\App\\x\\y",
                                    u"C:\\APP\\A\\", u"C:\\App\\a\\b"};
  std::vector<std::u16string> want = {u"C:\\App\\a\\b\\c", u"C:\\App\\x\\y", u"C:\\App\\a\\b", u"C:\\App\\a"};
  EXPECT_EQ(FoldersDeepestFirst(in), want);
}

TEST(UninstallRules, TaskbarPinItemsAreThoseBelowUserPinned) {
  struct Case { const char16_t* path; bool pin; } cases[] = {
      {u"C:\\Users\\u\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar\\A.lnk", true},
      {u"C:\\x\\USER PINNED\\StartMenu\\A.lnk", true},
      {u"C:\\App\\User Pinned.txt", false},
      {u"C:\\App\\UserPinned\\a.lnk", false},
      {u"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsTaskbarPinItem(c.path), c.pin);
}

TEST(UninstallRules, SelfDeletionBatchRemovesNestedDataFolderThenInstallFolder) {
  std::u16string text = SelfDeletionBatchText(u"D:\\App\\data\\uninst\\uninstall.exe", u"D:\\App", u"data\\uninst",
                                              u"C:\\Temp\\delunins.bat");
  EXPECT_EQ(text,
            u":Repeat\r\ndel \"D:\\App\\data\\uninst\\uninstall.exe\"\r\n"
            u"if exist \"D:\\App\\data\\uninst\\uninstall.exe\" goto Repeat\r\n"
            u"CHOICE /T 3 /D Y\r\n"
            u"rd \"D:\\App\\data\\uninst\"\r\nrd \"D:\\App\\data\"\r\nrd \"D:\\App\"\r\n"
            u"del \"C:\\Temp\\delunins.bat\"\r\n");
  EXPECT_EQ(SelfDeletionBatchText(u"D:\\App\\u.exe", u"D:\\App", u"", u"b.bat"),
            u":Repeat\r\ndel \"D:\\App\\u.exe\"\r\nif exist \"D:\\App\\u.exe\" goto Repeat\r\n"
            u"CHOICE /T 3 /D Y\r\nrd \"D:\\App\"\r\ndel \"b.bat\"\r\n");
  // A protected install folder keeps its own line out; its sub-folders still go.
  EXPECT_EQ(SelfDeletionBatchText(u"C:\\Desk\\u\\u.exe", u"C:\\Desk", u"u", u"b.bat", false),
            u":Repeat\r\ndel \"C:\\Desk\\u\\u.exe\"\r\nif exist \"C:\\Desk\\u\\u.exe\" goto Repeat\r\n"
            u"CHOICE /T 3 /D Y\r\nrd \"C:\\Desk\\u\"\r\ndel \"b.bat\"\r\n");
}

TEST(UninstallRules, SharedFilesWithTheirMarkers) {
  using E = SharedFileEntry;
  std::vector<E> want = {
      {u"C:\\S\\plain.dll", false, false, false},
      {u"C:\\S\\com.dll", true, false, false},
      {u"C:\\S\\kept.dll", true, true, false},
      {u"C:\\S\\types.tlb", false, false, true},
      {u"C:\\S\\all.dll", true, true, true},
  };
  EXPECT_EQ(ParseSharedFiles(u"\"C:\\S\\plain.dll\";\"C:\\S\\com.dll^\";\"C:\\S\\kept.dll ^\";"
                             u"\"C:\\S\\types.tlb\u00A9\";\"C:\\S\\all.dll\u00A9 ^\";\"\""),
            want);
  EXPECT_TRUE(ParseSharedFiles(u"").empty());
  EXPECT_TRUE(ParseSharedFiles(u"\"unterminated").empty());
}

TEST(UninstallRules, SupportAddressTakesTrimmedWebAndMailAddressesOnly) {
  const struct {
    std::u16string offer, address;
  } kCases[] = {
      {u"  https://help.example.com/acme \r\n", u"https://help.example.com/acme"},
      {u"HTTP://example.com", u"HTTP://example.com"},
      {u"mailto:help@example.com", u"mailto:help@example.com"},
      {u"", u""},
      {u"   ", u""},
      {u"help.example.com", u""},         // no scheme
      {u"ftp://example.com", u""},        // not for a browser page
      {u"https://", u""},                 // no host
      {u"mailto:", u""},
      {u"mailto:a b@example.com", u""},   // a space inside
      {u"file:///C:/Windows/x.exe", u""},
  };
  for (const auto& c : kCases) EXPECT_EQ(SupportAddress(c.offer), c.address) << Utf16ToUtf8(c.offer);
}

}  // namespace
}  // namespace ks
