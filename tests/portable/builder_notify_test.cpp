// The project file's [notify] table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "project.h"

namespace ks::builder {
namespace {

namespace fs = std::filesystem;

class NotifyProject : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("keldwick-notify-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "files");
    std::ofstream(dir_ / "files" / "a.txt") << "a";
  }
  void TearDown() override { fs::remove_all(dir_); }
  bool Parse(const std::string& tail, Project& p, ProjectError& e) {
    std::string text = "[product]\nname = \"P\"\n\n[[files]]\nsource = \"files\"\n\n" + tail;
    return ParseProject(text, "p.toml", dir_, p, e);
  }
  fs::path dir_;
};

TEST_F(NotifyProject, AddressesReachTheirFields) {
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(R"([notify]
start = "http://h/start?v=%version%"
new_install = "http://h/new"
upgrade = "https://h/up"
downgrade = "http://h/down"
reinstall = "http://h/again"
uninstall = "http://h/gone/%VERSION%"
)", p, e)) << e.message;
  const Settings& s = p.settings;
  EXPECT_EQ(s.StartNotifyUrl, u"http://h/start?v=%version%");
  EXPECT_EQ(s.InstallNotifyUrl, u"http://h/new");
  EXPECT_EQ(s.UpgradeNotifyUrl, u"https://h/up");
  EXPECT_EQ(s.DowngradeNotifyUrl, u"http://h/down");
  EXPECT_EQ(s.ReinstallNotifyUrl, u"http://h/again");
  EXPECT_EQ(s.NotifyURL, u"http://h/gone/%VERSION%");

  Project none;
  ASSERT_TRUE(Parse("", none, e)) << e.message;
  EXPECT_TRUE(none.settings.StartNotifyUrl.empty() && none.settings.NotifyURL.empty());
}

TEST_F(NotifyProject, RefusesUnknownKeysWrongTypesAndControlCharacters) {
  const struct {
    const char* tail;
    const char* message_part;
  } cases[] = {
      {"[notify]\ninstall = \"http://h/\"\n", "install"},
      {"[notify]\nstart = 5\n", "start"},
      {"[notify]\nupgrade = \"http://h/a\\r\\nX: y\"\n", "control characters"},
      {"notify = \"http://h/\"\n", "notify"},
  };
  for (const auto& c : cases) {
    Project p;
    ProjectError e;
    EXPECT_FALSE(Parse(c.tail, p, e)) << c.tail;
    EXPECT_NE(e.message.find(c.message_part), std::string::npos) << c.tail << ": " << e.message;
  }
}

}  // namespace
}  // namespace ks::builder
