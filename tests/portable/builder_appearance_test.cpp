// [appearance] and [wizard]: the main window's look and the dialogs' layout by name.
#include <gtest/gtest.h>

#include "project.h"

namespace ks::builder {
namespace {

bool Parse(const std::string& tables, Project& p, ProjectError& e) {
  return ParseProject("[product]\nname = \"A\"\n" + tables, "p.toml", ".", p, e);
}

TEST(ProjectAppearance, NamedValuesBecomeTheEngineFields) {
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(R"([appearance]
title_size = 1.5
title_color = "#FF8000"
title_shadow = 3
title_position = "bottom_right"
title_font = "Segoe UI, Arial"
top_color = "#102030"
bottom_color = "#000000"
copyright = "(c) A"
copyright_size = 0.75
[wizard]
dialogs = { greeting = "banner", summary = "plain" }
picture_frame = "sunken"
progress_horizontal = "right"
progress_vertical = "bottom"
banner_heading = "<product> setup"
support_offer = "https://example.com/help"
)", p, e)) << e.Text();
  const Settings& s = p.settings;
  EXPECT_EQ(s.TitleSize, 1.5);
  EXPECT_EQ(s.TitleColor, 0x000080FFu);  // stored as 0x00BBGGRR
  EXPECT_EQ(s.TitleShadow, 3);
  EXPECT_EQ(s.TitlePosition, 6);
  EXPECT_EQ(s.TitleFont, "Segoe UI, Arial");
  EXPECT_EQ(s.TopColor, 0x00302010u);
  EXPECT_EQ(s.BottomColor, 0u);
  EXPECT_EQ(s.CopyrightText, u"(c) A");
  EXPECT_EQ(s.CopyrightPos, 4);  // a copyright text without a place goes bottom left
  EXPECT_EQ(s.CopyrightSize, 0.75);
  EXPECT_EQ(s.CopyrightColor, s.TitleColor);
  EXPECT_EQ(s.DialogVariants, (std::array<uint32_t, 8>{2, 1, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(s.PictureFrame, 1);
  EXPECT_EQ(s.ProgressPosition, 2u | 16u);
  EXPECT_EQ(s.BannerHeading, u"<product> setup");
  EXPECT_EQ(s.SupportOffer, "https://example.com/help");

  // One colour when only the top is given: a plain background.
  ASSERT_TRUE(Parse("[appearance]\ntop_color = \"#336699\"\n", p, e)) << e.Text();
  EXPECT_EQ(p.settings.TopColor, p.settings.BottomColor);
}

TEST(ProjectAppearance, RefusalsNameTheirPlace) {
  const struct {
    const char* tables;
    int line, column;
    const char* says;
  } kCases[] = {
      {"[appearance]\ntitle_color = \"red\"\n", 4, 15, "#RRGGBB"},
      {"[appearance]\ntitle_size = 0\n", 4, 14, "above 0"},
      {"[appearance]\ntitle_size = 11.0\n", 4, 14, "at most 10"},
      {"[appearance]\ntitle_position = \"middle\"\n", 4, 18, "title_position must be one of"},
      {"[appearance]\ncopyright_position = \"top_left\"\n", 4, 22, "needs the copyright text"},
      {"[wizard]\ndialogs = { greeting = \"fancy\" }\n", 4, 24, "greeting must be one of"},
      {"[wizard]\ndialogs = { welcome = \"plain\" }\n", 4, 13, "unknown key 'welcome'"},
      {"[wizard]\nprogress_vertical = \"middle\"\n", 4, 21, "progress_vertical must be one of"},
      {"[wizard]\nbanner = \"x\"\n", 4, 1, "unknown key 'banner'"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.tables);
    Project p;
    ProjectError e;
    ASSERT_FALSE(Parse(c.tables, p, e));
    EXPECT_EQ(std::pair(e.line, e.column), std::pair(c.line, c.column)) << e.Text();
    EXPECT_NE(e.message.find(c.says), std::string::npos) << e.message;
  }
}

}  // namespace
}  // namespace ks::builder
