// Shell links under Wine, read back through IShellLinkW: every field the
// engine sets, the link name and folder rules, and the desktop and
// start-menu placements over folders of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "../probe/lnk_fields.h"
#include "core/file_access.h"
#include "core/os_name.h"
#include "core/wide.h"
#include "core_test_folder.h"
#include "install/shortcut_folders.h"
#include "install/shortcut_link.h"
#include "portable/shortcut_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

std::string N(const std::u16string& s) { return Utf16ToUtf8(s); }
std::string N(const std::wstring& s) { return Utf16ToUtf8(std::u16string(s.begin(), s.end())); }

probe::LinkFields Read(const std::u16string& path) { return probe::ReadLinkFields(std::wstring(W(path))); }

class Shortcuts : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
  TestFolder dir_{u"shortcuts"};
};

TEST_F(Shortcuts, FieldsReadBack) {
  struct Case {
    const char16_t* name;
    ShortcutFields fields;
    unsigned flags;
    const char16_t* saved_as;  // relative to the folder
    const char16_t* working;   // as the link holds it
    const char16_t* icon;      // empty: the target
    int show;
  };
  const Case kCases[] = {
      {u"Plain", {u"C:\\windows\\notepad.exe", u"-a \"b c\"", u"C:\\windows\\", u""}, 0, u"Plain.LNK",
       u"C:\\windows", u"", SW_SHOWNORMAL},
      {u"Sub\\Deeper\\Min.lnk", {u"C:\\windows\\notepad.exe", u"", u"C:\\\\\\", u"C:\\windows\\winhlp32.exe"},
       kShortcutMinimized | kShortcutAllUsers, u"Sub\\Deeper\\Min.lnk", u"C:\\", u"C:\\windows\\winhlp32.exe",
       SW_SHOWMINNOACTIVE},
      {u"Max.LnK", {u"C:\\windows\\regedit.exe", u"", u"  C:\\windows\\system32\\  ", u""}, kShortcutMaximized,
       u"Max.LnK", u"C:\\windows\\system32", u"", SW_SHOWMAXIMIZED},
      {u"Doc.lnk.txt", {u"C:\\windows\\win.ini", u"", u"", u""}, 0, u"Doc.lnk.txt.LNK", u"", u"", SW_SHOWNORMAL},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(N(std::u16string(c.name)));
    std::u16string path = dir_ / c.name;
    ASSERT_EQ(CreateShortcut(path, c.fields, c.flags), LinkSave::kSaved) << GetLastError();
    EXPECT_EQ(N(path), N(dir_ / c.saved_as));
    probe::LinkFields f = Read(path);
    ASSERT_TRUE(f.loaded);
    EXPECT_TRUE(EqualsNoCase(U16(f.target.c_str()), c.fields.target)) << N(f.target);
    EXPECT_EQ(N(f.arguments), N(c.fields.arguments));
    EXPECT_EQ(N(f.working_folder), N(std::u16string(c.working)));
    std::u16string icon = *c.icon ? c.icon : c.fields.target;
    EXPECT_TRUE(EqualsNoCase(U16(f.icon.c_str()), icon)) << N(f.icon);
    EXPECT_EQ(f.icon_index, 0);
    EXPECT_EQ(f.header_show, c.show);
  }
}

TEST_F(Shortcuts, Failures) {
  std::u16string empty;
  EXPECT_EQ(CreateShortcut(empty, {u"C:\\windows\\notepad.exe", {}, {}, {}}, 0), LinkSave::kFailed);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_NAME));
  // A file where the parent folder should be: the save fails and the path
  // reported is the extended one.
  ASSERT_TRUE(WriteWholeFile(dir_ / u"blocker", "x"));
  std::u16string path = dir_ / u"blocker\\App";
  EXPECT_EQ(CreateShortcut(path, {u"C:\\windows\\notepad.exe", {}, {}, {}}, 0), LinkSave::kFailed);
  EXPECT_NE(GetLastError(), DWORD(0));
  EXPECT_EQ(N(path), N(dir_ / u"blocker\\App.LNK"));
}

ShortcutFolders FoldersBelow(const TestFolder& dir, bool start_menu_double) {
  ShortcutFolders f;
  f.desktop = dir / u"Desktop";
  f.desktop_all = dir / u"Public Desktop";
  f.programs = dir / u"Programs";
  f.programs_all = dir / u"All Programs";
  f.start_menu_double = start_menu_double;
  return f;
}

TEST_F(Shortcuts, DesktopAndStartMenuPlacement) {
  ShortcutFields fields{u"C:\\windows\\notepad.exe", u"", u"", u""};
  ShortcutFolders folders = FoldersBelow(dir_, false);
  // The desktop shortcut takes no window state, only the folder choice.
  PlacedShortcut desktop = CreateDesktopShortcut(folders, u"Pad", fields, kShortcutAllUsers | kShortcutMaximized);
  ASSERT_TRUE(desktop.saved());
  ASSERT_EQ(desktop.paths.size(), 1u);
  EXPECT_EQ(N(desktop.paths[0]), N(dir_ / u"Public Desktop\\Pad.LNK"));
  EXPECT_EQ(Read(desktop.paths[0]).header_show, SW_SHOWNORMAL);

  PlacedShortcut user = CreateStartMenuShortcut(folders, u"Product\\Pad", fields, kShortcutMinimized);
  ASSERT_TRUE(user.saved());
  ASSERT_EQ(user.paths.size(), 1u);
  EXPECT_EQ(N(user.paths[0]), N(dir_ / u"Programs\\Product\\Pad.LNK"));
  EXPECT_EQ(Read(user.paths[0]).header_show, SW_SHOWMINNOACTIVE);

  // Windows 95 and 98: the all-users shortcut again in the user's folder,
  // without the window state.
  ShortcutFolders nine_x = FoldersBelow(dir_, true);
  PlacedShortcut both = CreateStartMenuShortcut(nine_x, u"Product\\Twice", fields,
                                                kShortcutAllUsers | kShortcutMaximized);
  ASSERT_TRUE(both.saved());
  ASSERT_EQ(both.paths.size(), 2u);
  EXPECT_EQ(N(both.paths[0]), N(dir_ / u"All Programs\\Product\\Twice.LNK"));
  EXPECT_EQ(N(both.paths[1]), N(dir_ / u"Programs\\Product\\Twice.LNK"));
  EXPECT_EQ(Read(both.paths[0]).header_show, SW_SHOWMAXIMIZED);
  EXPECT_EQ(Read(both.paths[1]).header_show, SW_SHOWNORMAL);
  // The same folder for both: one shortcut.
  nine_x.programs_all = nine_x.programs;
  PlacedShortcut once = CreateStartMenuShortcut(nine_x, u"Product\\Once", fields, kShortcutAllUsers);
  EXPECT_EQ(once.paths.size(), 1u);
}

TEST_F(Shortcuts, SystemFolders) {
  ShortcutFolders f = GatherShortcutFolders();
  for (const std::u16string* folder : {&f.desktop, &f.programs, &f.startup, &f.temp, &f.app_data})
    EXPECT_TRUE(FolderExists(*folder)) << N(*folder);
  EXPECT_FALSE(f.start_menu_double);  // NT
  EXPECT_EQ(&StartupFolder(f, kShortcutAllUsers), &f.startup_all);
  EXPECT_EQ(&StartupFolder(f, 0), &f.startup);
}

// These tests run under Wine: it reports Windows 7, yet no pin is tried.
TEST_F(Shortcuts, WineIsToldApartForThePin) {
  OsFacts os = GatherOsFacts();
  EXPECT_TRUE(os.wine);
  EXPECT_EQ(os.major * 10 + os.minor, 61u);
  EXPECT_FALSE(TaskbarPinSupported(os));
}

}  // namespace
}  // namespace ks
