// The project file's [finish] table and [[uninstall_values]].
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "portable/uninstall_key.h"
#include "project.h"

namespace ks::builder {
namespace {

namespace fs = std::filesystem;

// A 1x1 24-bit picture: the file header, then the DIB header and one padded row.
const std::string kOnePixelBmp = std::string("BM\x3a\0\0\0\0\0\0\0\x36\0\0\0", 14) +
                                 std::string("\x28\0\0\0\1\0\0\0\1\0\0\0\1\0\x18\0", 16) + std::string(24, '\0') +
                                 std::string("\x10\x20\x30\0", 4);

class FinishProject : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("keldwick-finish-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "files");
    Write("files/a.txt", "a");
    Write("readme.txt", "read me");
    Write("eula.txt", "agree");
    // One 1x1 picture of 8 bytes.
    Write("app.ico", std::string("\0\0\1\0\1\0\1\1\0\0\1\0\x20\0\x08\0\0\0\x16\0\0\0", 22) + "PICTURE!");
    Write("bg.bmp", kOnePixelBmp);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const std::string& rel, const std::string& text) { std::ofstream(dir_ / rel, std::ios::binary) << text; }
  bool Parse(const std::string& tail, Project& p, ProjectError& e) {
    std::string text = "[product]\nname = \"P\"\n\n[[files]]\nsource = \"files\"\n\n" + tail;
    return ParseProject(text, "p.toml", dir_, p, e);
  }
  fs::path dir_;
};

TEST_F(FinishProject, FieldsReachTheSettings) {
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(R"([finish]
readme = ["readme.txt"]
licence = ["eula.txt", "readme.txt"]
save_readme = true
save_licence = true
reboot_marker = true
ask_restart_when_silent = true
product_icon = "app.ico"
uninstaller_icon = "app.ico"
background_bitmap = "bg.bmp"
bitmap_size = 80
stretch_mode = 2
open_first = "readme.txt"
run_second = "%InstallDir%\\tool.exe /x"
open_third = "https://example.org/"

[[uninstall_values]]
name = "HelpLink"
data = "https://example.org/help"

[[uninstall_values]]
name = "Tools/Count"
type = "dword"
data = 7
)", p, e)) << e.Text();
  const Settings& s = p.settings;
  EXPECT_EQ(s.ReadmeTexts, std::vector<Blob>{"read me"});
  EXPECT_EQ(s.LicenseTexts, (std::vector<Blob>{"agree", "read me"}));
  const uint32_t flags = kOpt2SaveReadme | kOpt2SaveLicence | kOpt2RebootMarker | kOpt2AskRebootWhenSilent;
  EXPECT_EQ(s.OptionFlags2 & flags, flags);
  EXPECT_EQ(s.ProductIcon.size(), 30u);
  EXPECT_EQ(s.UninstallIcon, s.ProductIcon);
  EXPECT_EQ(s.BackgroundPicture, kOnePixelBmp.substr(14));  // the packed DIB, no file header
  EXPECT_EQ(s.BitmapSize, 80u);
  EXPECT_EQ(s.StretchMode, 2u);
  EXPECT_EQ(s.BitmapTPI, 0xFFFFFFFFu);
  EXPECT_EQ(s.FinishText2, "%InstallDir%\\tool.exe /x");
  ASSERT_EQ(s.RegistryList.size(), 2u);
  EXPECT_EQ(s.RegistryList[0], (RegistryEntry{"HelpLink", 1, u"https://example.org/help"}));
  EXPECT_EQ(s.RegistryList[1], (RegistryEntry{"Tools\\Count", 4, u"7"}));
}

TEST_F(FinishProject, Refusals) {
  const struct {
    const char* tail;
    const char* message;
  } kCases[] = {
      {"[finish]\nproduct_icon = \"readme.txt\"\n", "not an icon file"},
      {"[finish]\nreadme = [\"missing.txt\"]\n", "cannot read 'missing.txt'"},
      {"[finish]\nbackground_bitmap = \"readme.txt\"\n", "not a bitmap file"},
      {"[finish]\nbitmap_size = 101\n", "'bitmap_size' must be a whole number from 0 to 100"},
      {"[finish]\nsparkle = true\n", "unknown key 'sparkle' in [finish]"},
      {"[options]\nuninstaller = false\n[finish]\nuninstaller_icon = \"app.ico\"\n", "needs the uninstaller option"},
      {"[[uninstall_values]]\nname = \"X\"\ntype = \"binary\"\n", "type must be one of"},
      {"[[uninstall_values]]\nname = \"Sub\\\\\"\n", "name must be a value name"},
      {"[[uninstall_values]]\nname = \"N\"\ntype = \"dword\"\ndata = -1\n", "data of a dword"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.tail);
    Project p;
    ProjectError e;
    EXPECT_FALSE(Parse(c.tail, p, e));
    EXPECT_NE(e.message.find(c.message), std::string::npos) << e.message;
  }
}

}  // namespace
}  // namespace ks::builder
