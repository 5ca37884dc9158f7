// The project file's shortcuts: [[shortcuts]] into the ShortcutList, the
// shortcut tables into their settings, and the refusals with their places.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "portable/settings.h"
#include "project.h"

namespace ks::builder {
namespace {

namespace fs = std::filesystem;

class ProjectShortcuts : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("keldwick-shortcuts-" + std::string(
        testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ofstream(dir_ / "folder.ico", std::ios::binary) << std::string("\0\0\1\0icon", 8);
    std::ofstream(dir_ / "empty.ico", std::ios::binary);
  }
  void TearDown() override { fs::remove_all(dir_); }
  bool Parse(const std::string& text, Project& p, ProjectError& e) {
    return ParseProject("[product]\nname = \"A\"\n" + text, "p.toml", dir_, p, e);
  }
  fs::path dir_;
};

TEST_F(ProjectShortcuts, EntriesAndTables) {
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(R"(
[options]
uninstall_shortcut = true
desktop_uninstall_shortcut = true
uninstall_folder_shortcut = true
log_shortcut = true
[[shortcuts]]
target = "%InstallDir%\\bin\\caf\u00e9.exe"
name = "Tools\\Caf\u00e9"
icon = "app.ico"
arguments = "-x \u0416"
working_folder = "C:\\\\"
desktop = true
startup = true
other_folder = "%DocumentDir%\\A"
window = "maximized"
keep_on_uninstall = true
[[shortcuts]]
target = "readme.txt"
start_menu = true
[[shortcuts]]
target = ""
arguments = "~\"C:\\x.exe\" -y"
start_menu = true
[desktop_folder]
name = "A Tools"
icon = "folder.ico"
[root_shortcut]
target = "\"%InstallDir%\\a.exe\" -portable"
name = "<product> \u00e9"
[taskbar_pin]
target = "\"%InstallDir%\\a.exe\""
name = "Pinned <product>"
)", p, e)) << e.Text();
  const Settings& s = p.settings;
  ASSERT_EQ(s.ShortcutList.size(), 3u);
  ShortcutEntry first{"%InstallDir%\\bin\\caf\xE9.exe", "Tools\\Caf\xC3\xA9", "app.ico", u"-x \u0416", "C:\\\\",
                      1, 0, 1, "%DocumentDir%\\A", 2, 1};
  EXPECT_EQ(s.ShortcutList[0], first);
  ShortcutEntry second{"readme.txt", "", "", u"", "", 0, 1, 0, "", 0, 0};
  EXPECT_EQ(s.ShortcutList[1], second);
  EXPECT_EQ(s.ShortcutList[2].Arguments, u"~\"C:\\x.exe\" -y");
  uint32_t uninstaller_bits = kOptUninstaller | kOptUninstallShortcut;
  EXPECT_EQ(s.OptionFlags & uninstaller_bits, uninstaller_bits);
  uint32_t bits2 = kOpt2DesktopUninstallShortcut | kOpt2UninstallFolderShortcut | kOpt2ExtraStartMenuShortcut;
  EXPECT_EQ(s.OptionFlags2 & bits2, bits2);
  EXPECT_EQ(s.DesktopFolder, u"A Tools");
  EXPECT_EQ(s.DesktopFolderIcon, std::string("\0\0\1\0icon", 8));
  EXPECT_TRUE(s.UninstallIcon.empty());  // only [finish] uninstaller_icon sets it
  EXPECT_EQ(s.RootShortcutTarget, u"\"%InstallDir%\\a.exe\" -portable");
  EXPECT_EQ(s.RootShortcutName, "<product> \xC3\xA9");
  EXPECT_EQ(s.TaskbarPinTarget, u"\"%InstallDir%\\a.exe\"");
  EXPECT_EQ(s.TaskbarPinName, u"Pinned <product>");
  EXPECT_TRUE(p.warnings.empty());
}

TEST_F(ProjectShortcuts, Refusals) {
  struct Case { const char* text; int line, column; const char* says; };
  const Case kCases[] = {
      {"[[shortcuts]]\nname = \"x\"\ndesktop = true\n", 3, 1, "missing required key 'target'"},
      {"[[shortcuts]]\ntarget = \"\"\ndesktop = true\n", 4, 10, "target must not be empty"},
      {"[[shortcuts]]\ntarget = \"a.exe\"\n", 3, 1, "at least one of desktop"},
      {"[[shortcuts]]\ntarget = \"a.exe\"\nstartup = true\nwindow = \"hidden\"\n", 6, 10, "window must be one of"},
      {"[[shortcuts]]\ntarget = \"a.exe\"\nstartup = true\nname = \"Sub\\\\con\"\n", 6, 8, "not a valid Windows name"},
      {"[[shortcuts]]\ntarget = \"\u0416.exe\"\nstartup = true\n", 4, 10, "outside code page 1252"},
      {"[[shortcuts]]\ntarget = \"a.exe\"\nstartup = true\nicons = \"x\"\n", 6, 1, "unknown key 'icons'"},
      {"[desktop_folder]\nicon = \"folder.ico\"\n", 3, 1, "needs a name"},
      {"[desktop_folder]\nname = \"D\"\nicon = \"missing.ico\"\n", 5, 8, "cannot read the icon file"},
      {"[desktop_folder]\nname = \"D\"\nicon = \"empty.ico\"\n", 5, 8, "is empty"},
      {"[root_shortcut]\ntarget = \"a.exe\"\n", 3, 1, "missing required key 'name'"},
      {"[taskbar_pin]\nname = \"x\"\n", 3, 1, "needs a target"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    Project p;
    ProjectError e;
    ASSERT_FALSE(Parse(c.text, p, e));
    EXPECT_EQ(e.line, c.line) << e.Text();
    EXPECT_EQ(e.column, c.column) << e.Text();
    EXPECT_NE(e.message.find(c.says), std::string::npos) << e.Text();
  }
}

}  // namespace
}  // namespace ks::builder
