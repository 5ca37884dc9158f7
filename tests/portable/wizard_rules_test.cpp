// The wizard's pure rules: template names, the viewer's decoding, the folder
// and start-menu checks, the language preselection and the layout sums.
#include "portable/wizard_rules.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

TEST(WizardRules, TemplateNameByVariant) {
  struct Case { uint32_t variant; const char* name; };
  for (const Case& c : {Case{0, "ChooseDirDlg2"}, {1, "ChooseDirDlg"}, {2, "ChooseDirDlg3"}, {7, "ChooseDirDlg3"},
                        {0xFFFFFFFF, "ChooseDirDlg3"}})
    EXPECT_EQ(TemplateName("ChooseDirDlg", c.variant), c.name) << c.variant;
}

TEST(WizardRules, ViewerDecodesEachEncoding) {
  struct Case { std::string bytes; ViewerKind kind; std::u16string text; std::string rich; };
  const Case cases[] = {
      {"{\\rtf1 Hi}", ViewerKind::kRich, u"", "{\\rtf1 Hi}"},
      {"\xEF\xBB\xBF{\\rtf1 Hi}", ViewerKind::kRich, u"", "{\\rtf1 Hi}"},
      {std::string("\xFF\xFE" "A\0\xE9\0\n\0", 8), ViewerKind::kUtf16, u"A\u00E9\r\n", ""},
      {std::string("\xFE\xFF\0A\x04\x10", 6), ViewerKind::kUtf16, u"A\u0410", ""},
      {"\xEF\xBB\xBFZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\nx", ViewerKind::kUtf8, u"Za\u017C\u00F3\u0142\u0107\r\nx", ""},
      // A byte-order mark before invalid UTF-8: the whole text as 8-bit text.
      {"\xEF\xBB\xBF\xE9t\xE9", ViewerKind::kAnsi, u"\u00EF\u00BB\u00BF\u00E9t\u00E9", ""},
      {"caf\xE9\nend", ViewerKind::kAnsi, u"caf\u00E9\r\nend", ""},
      {"", ViewerKind::kAnsi, u"", ""},
  };
  for (const Case& c : cases) {
    ViewerText v = DecodeViewerText(c.bytes, SystemCodePage());
    EXPECT_EQ(v.kind, c.kind) << c.bytes;
    EXPECT_EQ(v.text, c.text) << c.bytes;
    EXPECT_EQ(v.rich, c.rich) << c.bytes;
  }
}

TEST(WizardRules, SpaceInBinaryUnits) {
  struct Case { uint64_t bytes; const char16_t* text; };
  for (const Case& c : {Case{0, u"0 bytes"}, {1023, u"1023 bytes"}, {1024, u"1.00 KB"}, {1536, u"1.50 KB"},
                        {(1u << 20) - 1, u"1024.00 KB"}, {1u << 20, u"1.00 MB"}, {5ull << 30, u"5.00 GB"},
                        {3ull << 40, u"3.00 TB"}})
    EXPECT_EQ(FormatSpace(c.bytes), c.text) << c.bytes;
}

TEST(WizardRules, DriveLetterOfTheFolderText) {
  EXPECT_EQ(FolderDriveLetter("c:\\Program Files"), 'C');
  EXPECT_EQ(FolderDriveLetter("|D:\\x"), 'D');
  EXPECT_EQ(FolderDriveLetter("||D:\\x"), std::nullopt);
  EXPECT_EQ(FolderDriveLetter("\\\\server\\share"), std::nullopt);
  EXPECT_EQ(FolderDriveLetter("1:\\x"), std::nullopt);
  EXPECT_EQ(FolderDriveLetter("C"), std::nullopt);
}

TEST(WizardRules, StartMenuFolderChecks) {
  struct Case { const char16_t* text; bool valid; };
  for (const Case& c : {Case{u"", true}, {u"Acme", true}, {u"Acme\\Tools", true}, {u"Acme Tools 2.0", true},
                        {u"\\Acme", false}, {u"Acme\\\\Tools", false}, {u"C:Acme", false}, {u"a;b", false},
                        {u"a/b", false}, {u"a\"b", false}, {u"a<b", false}, {u"a>b", false}, {u"a|b", false},
                        {u"a*b", false}, {u"a?b", false}, {u"Acme\\", true}})
    EXPECT_EQ(StartMenuFolderValid(c.text), c.valid) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
}

TEST(WizardRules, LanguagePreselection) {
  std::vector<std::u16string> list = {u"\tDeutsch", u"\tEnglish", u"\tFran\u00E7ais"};
  EXPECT_EQ(PreselectedLanguage(list, u"Fran\u00E7ais (France)"), 2);
  EXPECT_EQ(PreselectedLanguage(list, u" Deutsch "), 0);
  EXPECT_EQ(PreselectedLanguage(list, u"Polski"), 1);
  EXPECT_EQ(PreselectedLanguage({u"\tDeutsch", u"\tPolski"}, u"Norsk"), 0);
  EXPECT_EQ(PreselectedLanguage({u"\tPolski"}, u"Polski"), 0);
}

TEST(WizardRules, GreetingLinkReplacesTheFirstAnchorOnly) {
  EXPECT_EQ(GreetingLinkMarkup(u"See <a>here</a> or <a>there</a>", u"https://x.example/"),
            u"See <a href=\"https://x.example/\">here</a> or <a>there</a>");
  EXPECT_EQ(GreetingLinkMarkup(u"no link", u"x"), u"no link");
}

TEST(WizardRules, SummaryBoxesStackByVariant) {
  EXPECT_EQ(SummaryBoxRects(1, 2), (std::vector<Rect>{{102, 52, 275, 61}, {102, 66, 275, 75}}));
  EXPECT_EQ(SummaryBoxRects(2, 1), (std::vector<Rect>{{20, 78, 275, 87}}));
  EXPECT_EQ(SummaryBoxRects(7, 1), (std::vector<Rect>{{4, 39, 275, 48}}));  // only 2 is the banner's
  EXPECT_EQ(SummaryBoxRects(0, 3), (std::vector<Rect>{{4, 53, 275, 62}, {4, 67, 275, 76}, {4, 81, 275, 90}}));
  EXPECT_TRUE(SummaryBoxRects(0, 0).empty());
}

TEST(WizardRules, PlaceByPositionCode) {
  Rect window{10, 20, 110, 70}, area{0, 0, 1000, 500};
  EXPECT_EQ(PlaceWindow(window, area, 0), window);
  EXPECT_EQ(PlaceWindow(window, area, 1 | 8), (Rect{0, 0, 100, 50}));
  EXPECT_EQ(PlaceWindow(window, area, 2 | 16), (Rect{900, 450, 1000, 500}));
  EXPECT_EQ(PlaceWindow(window, area, 3 | 24), (Rect{450, 225, 550, 275}));
  EXPECT_EQ(PlaceWindow(window, Rect{100, 50, 300, 150}, 3), (Rect{150, 20, 250, 70}));
}

TEST(WizardRules, ButtonRowGrowsAndStaysInside) {
  RowMetrics m{400, 6, 16, 0};
  // Two buttons of 100 px that fit: moved to end one unit from the right.
  auto fit = LayoutButtonRow({{{150, 10, 250, 30}, 50}, {{260, 10, 360, 30}, 60}}, m);
  EXPECT_EQ(fit, (std::vector<Rect>{{184, 10, 284, 30}, {294, 10, 394, 30}}));
  // A long caption widens its button to the left and pushes the other along.
  auto grown = LayoutButtonRow({{{150, 10, 250, 30}, 50}, {{260, 10, 360, 30}, 150}}, m);
  EXPECT_EQ(grown[1], (Rect{229, 10, 394, 30}));  // 150 + 16 - 1 needed
  EXPECT_EQ(grown[0].right, 219);
  EXPECT_EQ(grown[0].width(), 100);
  // Images add their width to what a caption needs.
  EXPECT_EQ(LayoutButtonRow({{{260, 10, 360, 30}, 80}}, m)[0], (Rect{294, 10, 394, 30}));
  EXPECT_EQ(LayoutButtonRow({{{260, 10, 360, 30}, 80}}, {400, 6, 16, 20})[0], (Rect{279, 10, 394, 30}));
  // Too wide for the client area: the row starts at one unit, order kept, inside.
  auto squeezed = LayoutButtonRow({{{10, 10, 100, 30}, 200}, {{110, 10, 200, 30}, 200}, {{210, 10, 300, 30}, 200}},
                                  {400, 6, 16, 0});
  EXPECT_EQ(squeezed[0].left, 6);
  EXPECT_EQ(squeezed[2].right, 394);
  EXPECT_LE(squeezed[0].right, squeezed[1].left);
  EXPECT_LE(squeezed[1].right, squeezed[2].left);
  EXPECT_TRUE(LayoutButtonRow({}, m).empty());
  // Equal left edges keep their order; a button left of the client area is brought inside.
  auto tied = LayoutButtonRow({{{100, 10, 200, 30}, 50}, {{100, 40, 200, 60}, 150}, {{-50, 10, 40, 30}, 50}}, m);
  EXPECT_EQ(tied, (std::vector<Rect>{{294, 10, 394, 30}, {139, 40, 293, 60}, {6, 10, 96, 30}}));
}

}  // namespace
}  // namespace ks
