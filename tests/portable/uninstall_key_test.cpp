// The uninstall key's values: order, types, and which ones are removed.
#include <gtest/gtest.h>

#include <algorithm>

#include "portable/uninstall_key.h"

namespace ks {
namespace {

Settings Product() {
  Settings s;
  s.ProductName = u"Demo";
  s.ProductVersion = "5.12.3";
  s.TopColor = 0x802000;
  s.BottomColor = 0;
  s.TitleSize = 1.5;
  return s;
}

UninstallKeyRun Installed() {
  UninstallKeyRun r;
  r.key_name = u"Demo Key";
  r.uninstaller_path = u"C:\\P\\u\\uninstall.exe";
  r.installer_path = u"C:\\dl\\setup.exe";
  r.install_dir = u"C:\\P";
  r.installed_size = 4096;
  r.install_date = "20261210";
  return r;
}

const UninstallKeyValue* Find(const std::vector<UninstallKeyValue>& values, std::u16string_view name) {
  auto it = std::find_if(values.begin(), values.end(), [&](const UninstallKeyValue& v) { return v.name == name; });
  return it == values.end() ? nullptr : &*it;
}

std::vector<std::u16string> Names(const std::vector<UninstallKeyValue>& values) {
  std::vector<std::u16string> names;
  for (const auto& v : values) names.push_back(v.name);
  return names;
}

TEST(UninstallKey, CommandTexts) {
  EXPECT_EQ(UninstallString(u"C:\\u\\un.exe", u"My App"), u"\"C:\\u\\un.exe\" /u:\"My App\"");
  EXPECT_EQ(QuietUninstallString(u"C:\\u\\un.exe", u"My App"), u"\"C:\\u\\un.exe\" /a /u:\"My App\"");
}

TEST(UninstallKey, TableOrderWithEveryOptionalValue) {
  Settings s = Product();
  s.OptionFlags = kOptKeepBackground;
  s.BackgroundPicture = "BM..";
  UninstallKeyRun r = Installed();
  r.option_flags = s.OptionFlags;
  r.product_icon_path = u"C:\\P\\u\\product.ico";
  r.extra.push_back(ExtraUninstallValue({"Extra", 1, u"x"}, u"Extra", u"x"));
  const std::vector<std::u16string> kOrder = {
      u"UninstallString", u"QuietUninstallString", u"DisplayName", u"InstallSource", u"Publisher", u"Bitness",
      u"DisplayVersion", u"NoDowngradeBelow", u"DisplayIcon", u"VersionMajor", u"VersionMinor",
      u"ProductRegistry", u"ProductStartMenu", u"SharedPath", u"ProductFonts", u"ProductFlags",
      u"ProductFlags2", u"UninstallBatch1", u"UninstallBatch2", u"SharedFiles", u"UninstallSubdir",
      u"AddToPathSubfolder", u"ShortcutMode", u"NotifyURL", u"SupportOffer", u"DesktopFolder",
      u"EstimatedSize", u"DisplayTitle", u"TitleColor", u"TitleSize", u"TopColor", u"BottomColor",
      u"MonoColor", u"TitleShadow", u"TitlePosition", u"TitleFont", u"TaskbarText", u"CopyrightText",
      u"CopyrightFont", u"CopyrightSize", u"CopyrightColor", u"CopyrightPos", u"BitmapSize", u"BitmapTPI",
      u"StretchMode", u"Extra", u"InstallLocation", u"InstallDate"};
  std::vector<UninstallKeyValue> values = UninstallKeyValues(s, r);
  EXPECT_EQ(Names(values), kOrder);
  EXPECT_EQ(values.front().text16, u"\"C:\\P\\u\\uninstall.exe\" /u:\"Demo Key\"");
  EXPECT_EQ(Find(values, u"InstallDate")->text8, "20261210");
  EXPECT_EQ(Find(values, u"InstallDate")->kind, KeyValueKind::kText8);
  EXPECT_EQ(Find(values, u"InstallLocation")->text16, u"C:\\P");
  EXPECT_EQ(Find(values, u"DisplayIcon")->text16, u"C:\\P\\u\\product.ico");
}

TEST(UninstallKey, RemovedWhenEmpty) {
  std::vector<UninstallKeyValue> values = UninstallKeyValues(Product(), Installed());
  for (const char16_t* name : {u"Publisher", u"NoDowngradeBelow", u"ProductRegistry", u"ProductStartMenu",
                               u"SharedPath", u"ProductFonts", u"UninstallBatch1", u"UninstallBatch2",
                               u"SharedFiles", u"UninstallSubdir", u"AddToPathSubfolder", u"ShortcutMode",
                               u"NotifyURL", u"SupportOffer", u"DesktopFolder", u"BitmapSize", u"BitmapTPI",
                               u"StretchMode"}) {
    SCOPED_TRACE(std::string(name, name + std::char_traits<char16_t>::length(name)));
    ASSERT_NE(Find(values, name), nullptr);
    EXPECT_TRUE(Find(values, name)->remove);
  }
  // Never removed, even when empty or zero.
  for (const char16_t* name : {u"Bitness", u"ProductFlags", u"ProductFlags2", u"TitleShadow", u"CopyrightPos",
                               u"CopyrightText", u"InstallSource"})
    EXPECT_FALSE(Find(values, name)->remove);
  EXPECT_EQ(Find(values, u"DisplayIcon"), nullptr);

  Settings s = Product();
  s.Publisher = u"Maker";
  s.ShortcutMode = 1;
  UninstallKeyRun r = Installed();
  r.shared_files = "C:\\Common\\a.dll\r\n";
  r.fonts_text = "a.ttf|A (TrueType)\r\n";
  values = UninstallKeyValues(s, r);
  EXPECT_FALSE(Find(values, u"Publisher")->remove);
  EXPECT_EQ(Find(values, u"ShortcutMode")->number, 1u);
  EXPECT_FALSE(Find(values, u"ShortcutMode")->remove);
  EXPECT_EQ(Find(values, u"SharedFiles")->text8, r.shared_files);
  EXPECT_EQ(Find(values, u"ProductFonts")->text8, r.fonts_text);
}

TEST(UninstallKey, VersionNumbers) {
  struct Case { const char* version; bool present; uint32_t major, minor; };
  const Case kCases[] = {{"5.12.3", true, 5, 12}, {"5", false, 0, 0}, {"2.0b", true, 2, 0}, {"", false, 0, 0},
                         {".7", true, 0, 7}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.version);
    Settings s = Product();
    s.ProductVersion = c.version;
    std::vector<UninstallKeyValue> values = UninstallKeyValues(s, Installed());
    const UninstallKeyValue* major = Find(values, u"VersionMajor");
    const UninstallKeyValue* minor = Find(values, u"VersionMinor");
    ASSERT_EQ(major != nullptr, c.present);
    ASSERT_EQ(minor != nullptr, c.present);
    if (c.present) {
      EXPECT_EQ(std::pair(major->number, minor->number), std::pair(c.major, c.minor));
    }
    EXPECT_EQ(Find(values, u"DisplayVersion")->remove, !*c.version);
  }
}

TEST(UninstallKey, EstimatedSize) {
  struct Case { uint64_t bytes; bool removed; uint32_t kilobytes; };
  const Case kCases[] = {{0, true, 0},        {1023, true, 0},          {1024, false, 1},
                         {1048575, false, 1023}, {0xFFFFFFFFull * 1024, false, 0xFFFFFFFF},
                         {0x100000000ull * 1024, true, 0}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.bytes);
    UninstallKeyRun r = Installed();
    r.installed_size = c.bytes;
    const UninstallKeyValue& v = *Find(UninstallKeyValues(Product(), r), u"EstimatedSize");
    EXPECT_EQ(v.remove, c.removed);
    if (!c.removed) {
      EXPECT_EQ(v.number, c.kilobytes);
    }
  }
}

TEST(UninstallKey, FlagWords) {
  Settings s = Product();
  s.OptionFlags2 = 0x80000001;
  UninstallKeyRun r = Installed();
  r.option_flags = 0xFFFFFFFF;  // the run's word, not the settings'
  r.archive_flags = 0x20;
  std::vector<UninstallKeyValue> values = UninstallKeyValues(s, r);
  EXPECT_EQ(Find(values, u"ProductFlags")->text8, "9223372045444710399");  // 0x80000001FFFFFFFF
  EXPECT_EQ(Find(values, u"ProductFlags2")->text8, "32");
}

TEST(UninstallKey, BitnessAndAppearance) {
  for (auto [bitness, value] : {std::pair(1, 1u), std::pair(2, 2u), std::pair(0, 0u), std::pair(7, 0u)}) {
    Settings s = Product();
    s.Bitness = uint8_t(bitness);
    EXPECT_EQ(Find(UninstallKeyValues(s, Installed()), u"Bitness")->number, value) << bitness;
  }
  Settings s = Product();
  std::vector<UninstallKeyValue> values = UninstallKeyValues(s, Installed());
  EXPECT_EQ(Find(values, u"TitleSize")->text8, "1.5");
  EXPECT_EQ(Find(values, u"MonoColor")->number, 0u);
  EXPECT_FALSE(Find(values, u"BottomColor")->remove);
  s.BottomColor = s.TopColor;  // a plain background: no bottom colour
  values = UninstallKeyValues(s, Installed());
  EXPECT_EQ(Find(values, u"MonoColor")->number, 1u);
  EXPECT_TRUE(Find(values, u"BottomColor")->remove);
  EXPECT_EQ(NumberText(2.0), "2");
  EXPECT_EQ(NumberText(0.125), "0.125");
  EXPECT_EQ(NumberText(-0.0), "0");
}

TEST(UninstallKey, BackgroundBitmapValues) {
  Settings s = Product();
  s.BackgroundPicture = "BM..";
  s.BitmapSize = 80;
  s.StretchMode = 2;
  s.BitmapTPI = 0xFFFFFFFF;
  UninstallKeyRun r = Installed();
  // The picture alone is not enough: the flag keeps it for the uninstaller.
  EXPECT_TRUE(Find(UninstallKeyValues(s, r), u"BitmapSize")->remove);
  r.option_flags = kOptKeepBackground;
  std::vector<UninstallKeyValue> values = UninstallKeyValues(s, r);
  EXPECT_EQ(Find(values, u"BitmapSize")->number, 80u);
  EXPECT_FALSE(Find(values, u"BitmapSize")->remove);
  EXPECT_TRUE(Find(values, u"BitmapTPI")->remove);
  EXPECT_EQ(Find(values, u"StretchMode")->number, 2u);
  s.BitmapTPI = 0;
  EXPECT_FALSE(Find(UninstallKeyValues(s, r), u"BitmapTPI")->remove);
}

TEST(UninstallKey, ExtraValues) {
  struct Case {
    RegistryEntry entry;
    const char16_t* expanded;
    KeyValueKind kind;
    const char16_t* subkey;
    const char16_t* name;
    uint32_t number;
    bool remove;
  };
  const Case kCases[] = {
      {{"HelpLink", 1, u""}, u"https://x", KeyValueKind::kText16, u"", u"HelpLink", 0, false},
      {{"Comments", 1, u""}, u"", KeyValueKind::kText16, u"", u"Comments", 0, true},
      {{"Tools\\Path", 2, u""}, u"%SystemRoot%", KeyValueKind::kExpand16, u"Tools", u"Path", 0, false},
      {{"A\\B\\Count", 4, u""}, u"42", KeyValueKind::kNumber, u"A\\B", u"Count", 42, false},
      {{"Zero", 4, u""}, u"0", KeyValueKind::kNumber, u"", u"Zero", 0, true},
      {{"Junk", 4, u""}, u"x1", KeyValueKind::kNumber, u"", u"Junk", 0, true},
      {{"Binary", 3, u""}, u"00", KeyValueKind::kUnknown, u"", u"Binary", 0, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.entry.path);
    std::u16string name(c.entry.path.begin(), c.entry.path.end());
    UninstallKeyValue v = ExtraUninstallValue(c.entry, name, c.expanded);
    EXPECT_EQ(v.kind, c.kind);
    EXPECT_EQ(v.subkey, c.subkey);
    EXPECT_EQ(v.name, c.name);
    EXPECT_EQ(v.remove, c.remove);
    if (c.kind == KeyValueKind::kNumber) {
      EXPECT_EQ(v.number, c.number);
    } else if (c.kind != KeyValueKind::kUnknown) {
      EXPECT_EQ(v.text16, c.expanded);
    }
  }
}

TEST(UninstallKey, SavedTextNames) {
  EXPECT_EQ(SavedTextName(u"readme", 0, 1), u"readme.txt");
  EXPECT_EQ(SavedTextName(u"eula", 0, 3), u"eula1.txt");
  EXPECT_EQ(SavedTextName(u"eula", 2, 3), u"eula3.txt");
  EXPECT_EQ(SavedTextName(u"readme", 11, 20), u"readme12.txt");
}

}  // namespace
}  // namespace ks
