// The settings script: a hand-built script checks field order and encodings in
// both directions; range checks, defaults, the script-check seam, language
// selection and truncation are checked through the reader.
#include "portable/settings_codec.h"

#include <gtest/gtest.h>

#include <functional>

#include "portable/archive.h"
#include "portable/encodings.h"

namespace ks {
namespace {

const std::string kGreeting("\0\x01link", 6);
const std::string kPicture("BM\0\x7F", 4);

// Every field distinctive. `groups` switches all four conditional parts on:
// BitmapTPI, the copyright group, the required product and UninstallIcon.
Settings MakeFull(bool groups) {
  Settings s;
  s.OptionFlags = 0x80000040 | (groups ? kOptRequiredProduct | kOptUninstaller : 0);
  s.OptionFlags2 = 0x12345678;
  s.SilentMode = 2;
  s.TaskbarText = "Taskbar \x80";
  s.DisplayTitle = u"Display \u03A9";
  s.TitleSize = 1.75;
  s.ProgressPosition = 7;
  s.MinStatusTime = 1234;
  s.ShortcutMode = 1;
  s.UninstallerFileTimes = {0x0102030405060708, 0x1112131415161718, 0x2122232425262728};
  s.Publisher = u"Publisher";
  s.ProductName = u"Prod \u03A9";
  s.ProductDescription = u"Descr \u00E9";
  s.Bitness = 1;
  s.SharedFolderBase = 3;
  s.SharedPath = u"Shared";
  s.SharedPathOnRemovable = u"SharedRem";
  s.ProductStartMenu = u"Menu";
  s.ProductVersion = "2.5\x80";
  s.DefaultInstallDir = u"%ProgramFiles%\\Prod";
  s.ProductRegistry = u"Maker\\Prod";
  s.Registry2Text = "reg2";
  s.BitmapSize = 55;
  s.StretchMode = 2;
  s.GreetingLink = kGreeting;
  s.LicenseTexts = {"lic1", std::string(300, 'L'), ""};
  s.ReadmeTexts = {"readme"};
  s.UninstallSubdir = u"uninst";
  s.UninstallerFileName = "uninstall.exe";
  s.UninstallKeyName = u"ProdKey";
  s.InstallDirRegistryValue = "\\HKLM\\Software\\Prod\\Dir";
  s.BannerHeading = u"Banner";
  s.PictureFrame = 4;
  s.TitleColor = 0xAABBCC;
  s.TitleShadow = 5;
  s.TitlePosition = 6;
  s.TitleFont = "Arial";
  s.TopColor = 0x102030;
  s.BottomColor = 0x405060;
  if (groups) {
    s.BackgroundPicture = kPicture;
    s.BitmapTPI = 96;
    s.CopyrightPos = 3;
    s.CopyrightColor = 0x777777;
    s.CopyrightSize = 0.5;
    s.CopyrightText = u"\u00A9 Maker";
    s.CopyrightFont = u"Tahoma";
    s.RequiredProductKey = u"ReqKey";
    s.RequiredProductName = "ReqName";
    s.RequiredProductVersion = "1.0";
    s.UninstallIcon = "UICON";
  }
  s.DesktopFolder = u"Desk";
  s.DesktopFolderIcon = "DICON";
  s.PreInstallBatch = "pre";
  s.PostInstallBatch = "post";
  s.ExitBatch = "exit";
  s.UninstallBatch1 = "un1";
  s.UninstallBatch2 = "un2";
  s.UpgradeBatch = "upg";
  s.ReinstallBatch = "rei";
  for (int i = 0; i < 20; ++i) s.Reserved[i] = uint8_t(0xA0 + i);
  s.ExcludedSystems = 0x30;
  s.PayloadInFile = 1;
  s.FinishText1 = "fin1";
  s.FinishText2 = "fin2";
  s.FinishText3 = "fin3";
  s.StartNotifyUrl = u"http://a/start";
  s.InstallNotifyUrl = u"http://a/install";
  s.UpgradeNotifyUrl = u"http://a/upgrade";
  s.DowngradeNotifyUrl = u"http://a/downgrade";
  s.ReinstallNotifyUrl = u"http://a/reinstall";
  s.NotifyURL = u"http://a/uninstall";
  s.ConfirmUpgradeBelow = "3.0";
  s.NoDowngradeBelow = "1.5";
  s.Password = u"secret";
  s.MustUninstallBelow = "0.9";
  s.FirewallPrograms = std::u16string(200, u'f');  // 400 bytes: the 3-byte length form
  s.AddToPathSubfolder = u"bin";
  s.ExtraSpace = 0x123456789A;
  s.DialogVariants = {0, 1, 2, 3, 4, 5, 6, 7};
  s.DeleteList = {{"del1", 1, "t1", 2}, {"del2", 3, "t2", 4}};
  s.AssociationList = {{9, "ext", "label", "a3", "a4", "a5", "a6", u"Deutsch", "a8"}};
  s.ShortcutList = {{"tgt1", "name\xC3\xA9", "s3", u"s4", "s5", 1, 2, 3, "ico", 4, 5},
                    {"tgt2", "name2", "", u"", "", 0, 0, 1, "", 0, 1}};
  s.RootShortcutTarget = u"RootTgt";
  s.RootShortcutName = "RootName";
  s.TaskbarPinTarget = u"PinTgt";
  s.TaskbarPinName = u"PinName";
  s.RegistryList = {{"\\HKLM\\Software\\A\\v", 1, u"val"}, {"\\HKCU\\B\\w", 4, u"42"}};
  s.SupportOffer = "offer";
  s.ProductIcon = "PICON";
  s.CloseList = {{"cls", "title", "prog.exe", 1, 3}};
  s.LanguageNames = {u"Deutsch", u"English", u"Fran\u00E7ais"};
  s.StringTable = {{u"de0", u"en0", u"fr0"}, {u"de1\r\nx", u"en1 <product>", u"fr1"}};
  // What the reader derives.
  s.ProductName8 = "Prod ?";
  s.ProductDescription8 = "Descr \xE9";
  s.ProductVersionW = u"2.5\u20AC";
  s.CurrentLanguage = 1;
  return s;
}

// MakeFull's script written field by field from the format's table, so that
// an order or encoding mistake shared by reader and writer still shows.
Bytes GoldenScript(bool groups) {
  ByteWriter w;
  w.U32(0x80000040 | (groups ? 0x10004 : 0));                  // 1 OptionFlags
  w.U32(0x12345678);                                           // 2 OptionFlags2
  w.U8(2);                                                     // 3 SilentMode
  w.U8(9); w.Raw("Taskbar \x80", 9);                           // 4 PStr ANSI
  w.U8(18); for (char16_t c : u"Display \u03A9") if (c) w.U16(c);  // 5 PStr
  w.Double(1.75);                                              // 6
  w.U32(7);                                                    // 7
  w.U16(1234);                                                 // 8
  w.U8(1);                                                     // 9
  w.U64(0x0102030405060708); w.U64(0x1112131415161718); w.U64(0x2122232425262728);  // 10
  WritePStr(w, u"Publisher");                                  // 11
  WritePStr(w, u"Prod \u03A9");                                // 12
  WritePStr(w, u"Descr \u00E9");                               // 13
  w.U8(1);                                                     // 14 Bitness
  w.U8(3);                                                     // 15
  WritePStr(w, u"Shared");                                     // 16
  WritePStr(w, u"SharedRem");                                  // 17
  w.WCString(u"Menu");                                         // 18 WZStr
  WritePStrAnsi(w, "2.5\x80");                                 // 19
  w.WCString(u"%ProgramFiles%\\Prod");                         // 20
  w.WCString(u"Maker\\Prod");                                  // 21
  w.CString("reg2");                                           // 22 AZStr
  w.U32(55);                                                   // 23
  w.U32(2);                                                    // 24
  w.U16(6); w.Raw(kGreeting.data(), 6);                        // 25 Blob16
  w.U32(3);                                                    // 26 LicenseTexts
  w.U32(4); w.Raw("lic1", 4);
  w.U32(300); w.Raw(std::string(300, 'L').data(), 300);
  w.U32(0);
  w.U32(1); w.U32(6); w.Raw("readme", 6);                      // 27 ReadmeTexts
  WritePStr(w, u"uninst");                                     // 28
  w.CString("uninstall.exe");                                  // 29
  WritePStr(w, u"ProdKey");                                    // 30
  w.CString("\\HKLM\\Software\\Prod\\Dir");                    // 31
  w.WCString(u"Banner");                                       // 32
  w.U8(4);                                                     // 33
  w.U32(0xAABBCC);                                             // 34
  w.U8(5);                                                     // 35
  w.U8(6);                                                     // 36
  w.CString("Arial");                                          // 37
  w.U32(0x102030);                                             // 38
  w.U32(0x405060);                                             // 39
  if (groups) {                                                // 40
    w.U32(4); w.Raw(kPicture.data(), 4); w.U32(96);
  } else {
    w.U32(0);
  }
  if (groups) {                                                // 41
    w.U8(3); w.U32(0x777777); w.Double(0.5);
    WritePStr(w, u"\u00A9 Maker"); WritePStr(w, u"Tahoma");
  } else {
    w.U8(0);
  }
  if (groups) {                                                // 42
    WritePStr(w, u"ReqKey"); WritePStrAnsi(w, "ReqName"); WritePStrAnsi(w, "1.0");
  }
  WritePStr(w, u"Desk");                                       // 43
  w.U32(5); w.Raw("DICON", 5);                                 // 44 Blob32
  for (const char* b : {"pre", "post", "exit", "un1", "un2", "upg", "rei"}) w.CString(b);  // 45, 46
  for (int i = 0; i < 20; ++i) w.U8(uint8_t(0xA0 + i));        // 47
  w.U32(0x30);                                                 // 48
  w.U8(1);                                                     // 49
  for (const char* f : {"fin1", "fin2", "fin3"}) w.CString(f);  // 50
  for (const char16_t* u : {u"http://a/start", u"http://a/install", u"http://a/upgrade",
                            u"http://a/downgrade", u"http://a/reinstall", u"http://a/uninstall"})
    WritePStr(w, u);                                           // 51
  w.CString("3.0");                                            // 52
  w.U8(3); w.Raw("1.5", 3);                                    // 53 Str8
  WritePStr(w, u"secret");                                     // 54
  WritePStrAnsi(w, "0.9");                                     // 55
  w.U8(0xFF); w.U8(0x90); w.U8(0x01);                          // 56: 400 bytes follow
  for (int i = 0; i < 200; ++i) w.U16(u'f');
  WritePStr(w, u"bin");                                        // 57
  w.U64(0x123456789A);                                         // 58
  for (uint32_t v = 0; v < 8; ++v) w.U32(v);
  if (groups) { w.U32(5); w.Raw("UICON", 5); }                 // 59
  w.CString("del1"); w.U8(1); w.CString("t1"); w.U8(2);        // 60
  w.CString("del2"); w.U8(3); w.CString("t2"); w.U8(4);
  w.CString("~~THE END~~");
  w.U32(1);                                                    // 61
  w.U32(9);
  for (const char* f : {"ext", "label", "a3", "a4", "a5", "a6"}) w.CString(f);
  w.WCString(u"Deutsch");
  w.CString("a8");
  w.U32(2);                                                    // 62
  w.CString("tgt1"); w.CString("name\xC3\xA9"); w.CString("s3"); WritePStr(w, u"s4");
  w.CString("s5"); w.U8(1); w.U8(2); w.U8(3); w.CString("ico"); w.U8(4); w.U8(5);
  w.CString("tgt2"); w.CString("name2"); w.CString(""); w.U8(0);
  w.CString(""); w.U8(0); w.U8(0); w.U8(1); w.CString(""); w.U8(0); w.U8(1);
  w.WCString(u"RootTgt"); w.CString("RootName");               // 63
  w.WCString(u"PinTgt"); w.WCString(u"PinName");
  w.U32(2);                                                    // 64
  w.CString("\\HKLM\\Software\\A\\v"); w.U8(1); WritePStr(w, u"val");
  w.CString("\\HKCU\\B\\w"); w.U8(4); WritePStr(w, u"42");
  w.U16(5); w.Raw("offer", 5);                                 // 65 Blob16
  w.U32(5); w.Raw("PICON", 5);                                 // 66 Blob32
  w.CString("cls"); w.CString("title"); w.CString("prog.exe"); w.U8(1); w.U8(3);  // 67
  w.CString("~~THE~END~~");
  w.U8(3); w.U32(2);                                           // 68
  w.WCString(u"Deutsch"); w.WCString(u"English"); w.WCString(u"Fran\u00E7ais");  // 69
  for (const char16_t* t : {u"de0", u"en0", u"fr0", u"de1\r\nx", u"en1 <product>", u"fr1"})
    w.WCString(t);                                             // 70
  w.U32(0xD3E82B97);                                           // 71
  return w.Take();
}

int Read(const Bytes& script, Settings& out, const SettingsReadOptions& options = {}) {
  ByteReader in(script);
  return ReadSettings(in, out, options);
}

TEST(SettingsScript, HandBuiltScriptMatchesReaderAndWriter) {
  for (bool groups : {true, false}) {
    SCOPED_TRACE(groups ? "with conditional fields" : "without conditional fields");
    const Settings expected = MakeFull(groups);
    const Bytes golden = GoldenScript(groups);
    EXPECT_EQ(WriteSettings(expected), golden);
    EXPECT_EQ(SettingsWriteProblem(expected), "");

    ByteReader in(golden);
    Settings read;
    ASSERT_EQ(ReadSettings(in, read, {}), 0);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(read, expected);
  }
}

// Fields that follow absent conditional parts are not shifted: the reader
// ignores whatever a Settings holds in a part its condition leaves out.
TEST(SettingsScript, AbsentConditionalPartsTakeNoBytes) {
  Settings s = MakeFull(true);
  s.OptionFlags &= ~(kOptRequiredProduct | kOptUninstaller);
  s.CopyrightPos = 0;
  s.BackgroundPicture.clear();
  const Bytes script = WriteSettings(s);
  EXPECT_EQ(script, GoldenScript(false));

  Settings read;
  ASSERT_EQ(Read(script, read), 0);
  EXPECT_EQ(read.CopyrightText, u"");
  EXPECT_EQ(read.BitmapTPI, 0u);
  EXPECT_EQ(read.RequiredProductKey, u"");
  EXPECT_EQ(read.UninstallIcon, "");
  EXPECT_EQ(read.DesktopFolder, u"Desk");
}

size_t After(const Bytes& b, std::string_view marker) {
  std::string_view all(reinterpret_cast<const char*>(b.data()), b.size());
  size_t at = all.find(marker);
  EXPECT_NE(at, std::string_view::npos) << marker;
  return at == std::string_view::npos ? 0 : at + marker.size();
}

struct RangeCase {
  const char* what;
  std::function<void(Settings&)> change;
  int expected;
};

template <typename T>
std::function<void(Settings&)> Resize(std::vector<T> Settings::*list, size_t n) {
  return [=](Settings& s) { (s.*list).resize(n); };
}

TEST(SettingsScript, RangeChecksAndTheirBoundaries) {
  const RangeCase cases[] = {
      {"MinStatusTime 9999", [](Settings& s) { s.MinStatusTime = 9999; }, 0},
      {"MinStatusTime 10000", [](Settings& s) { s.MinStatusTime = 10000; }, kErrMinStatusTime},
      {"BitmapSize 100", [](Settings& s) { s.BitmapSize = 100; }, 0},
      {"BitmapSize 101", [](Settings& s) { s.BitmapSize = 101; }, kErrBitmapSize},
      {"20 licences", Resize(&Settings::LicenseTexts, 20), 0},
      {"21 licences", Resize(&Settings::LicenseTexts, 21), kErrLicenseCount},
      {"no licence", Resize(&Settings::LicenseTexts, 0), 0},
      {"20 readmes", Resize(&Settings::ReadmeTexts, 20), 0},
      {"21 readmes", Resize(&Settings::ReadmeTexts, 21), kErrReadmeCount},
      {"1000 deletes", Resize(&Settings::DeleteList, 1000), 0},
      {"1001 deletes", Resize(&Settings::DeleteList, 1001), kErrDeleteList},
      {"1000 associations", Resize(&Settings::AssociationList, 1000), 0},
      {"1001 associations", Resize(&Settings::AssociationList, 1001), kErrAssociationCount},
      {"1000 shortcuts", Resize(&Settings::ShortcutList, 1000), 0},
      {"1001 shortcuts", Resize(&Settings::ShortcutList, 1001), kErrShortcutCount},
      {"1000 registry values", Resize(&Settings::RegistryList, 1000), 0},
      {"1001 registry values", Resize(&Settings::RegistryList, 1001), kErrRegistryCount},
      {"1000 windows to close", Resize(&Settings::CloseList, 1000), 0},
      {"1001 windows to close", Resize(&Settings::CloseList, 1001), kErrCloseList},
      {"200 languages", Resize(&Settings::LanguageNames, 200), 0},
      {"201 languages", Resize(&Settings::LanguageNames, 201), kErrLanguageCount},
      {"no language", Resize(&Settings::LanguageNames, 0), kErrLanguageCount},
      {"1 text", Resize(&Settings::StringTable, 1), 0},
      {"10000 texts", Resize(&Settings::StringTable, 10000), 0},
      {"10001 texts", Resize(&Settings::StringTable, 10001), kErrStringCount},
      {"no text", Resize(&Settings::StringTable, 0), kErrStringCount},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.what);
    Settings s = MakeFull(true);
    c.change(s);
    Settings read;
    EXPECT_EQ(Read(WriteSettings(s), read), c.expected);
    // The builder learns of every script the reader would refuse.
    EXPECT_EQ(SettingsWriteProblem(s).empty(), c.expected == 0);
    if (c.expected == 0) {
      EXPECT_EQ(read.DeleteList.size(), s.DeleteList.size());
      EXPECT_EQ(read.CloseList.size(), s.CloseList.size());
      EXPECT_EQ(read.AssociationList.size(), s.AssociationList.size());
      EXPECT_EQ(read.StringTable.size(), s.StringTable.size());
      EXPECT_EQ(read.LanguageNames.size(), s.LanguageNames.size());
    }
  }
}

// Counts are compared as signed values: a count with the top bit set is
// negative and refused, not taken as a huge list.
TEST(SettingsScript, NegativeCountsAreRefused) {
  struct Patch {
    const char* what;
    std::function<size_t(const Bytes&)> count_at;  // offset of the u32 count
    int expected;
  };
  const Settings base = MakeFull(true);
  const Bytes script = WriteSettings(base);
  auto after = [](std::string_view marker) {
    return [marker](const Bytes& b) { return After(b, marker); };
  };
  auto after_greeting = after(kGreeting);
  const Patch patches[] = {
      {"licences", after_greeting, kErrLicenseCount},
      {"readmes", [&](const Bytes& b) {
         return after_greeting(b) + 4 + 8 + 304 + 4; }, kErrReadmeCount},
      {"associations", after(std::string_view("~~THE END~~\0", 12)), kErrAssociationCount},
      {"registry values", after(std::string_view("P\0i\0n\0N\0a\0m\0e\0\0\0", 16)),
       kErrRegistryCount},
  };
  for (const Patch& p : patches) {
    for (uint32_t negative : {0xFFFFFFFFu, 0x80000000u}) {
      SCOPED_TRACE(p.what);
      Bytes changed = script;
      StoreU32(changed.data() + p.count_at(changed), negative);
      Settings read;
      EXPECT_EQ(Read(changed, read), p.expected);
    }
  }
  // Without associations the shortcut count follows the association count.
  Settings one = base;
  one.AssociationList.clear();
  Bytes changed = WriteSettings(one);
  StoreU32(changed.data() + after(std::string_view("~~THE END~~\0", 12))(changed) + 4, 0x80000000u);
  Settings read;
  EXPECT_EQ(Read(changed, read), kErrShortcutCount);
}

TEST(SettingsScript, EveryCutShortScriptEndsAtTheEndMark) {
  const Bytes script = WriteSettings(MakeFull(true));
  for (size_t cut = 0; cut < script.size(); ++cut) {
    Bytes part(script.begin(), script.begin() + cut);
    Settings read;
    ASSERT_EQ(Read(part, read), kErrEndMark) << "cut at " << cut << " of " << script.size();
  }
  Bytes wrong = script;
  wrong.back() ^= 1;
  Settings read;
  EXPECT_EQ(Read(wrong, read), kErrEndMark);
}

TEST(SettingsScript, HugeTableCountsInAShortStreamAreNotSizedFrom) {
  Bytes script = WriteSettings(MakeFull(true));
  // 200 languages by 10000 texts, with only the small tables behind them.
  const size_t counts = After(script, std::string_view("~~THE~END~~\0", 12));
  ASSERT_EQ(script[counts], 3);
  script[counts] = 200;
  StoreU32(script.data() + counts + 1, 10000);
  Settings read;
  EXPECT_EQ(Read(script, read), kErrEndMark);
  EXPECT_LE(read.StringTable.size() * 200, script.size());
}

TEST(SettingsScript, ScriptCheckSeam) {
  const Bytes script = WriteSettings(MakeFull(true));
  std::string calls;
  SettingsReadOptions options;
  options.before_script_check = [&](const Settings& s) {
    // Fields 1 to 7 are in; field 8 is not yet.
    EXPECT_EQ(s.ProgressPosition, 7u);
    EXPECT_EQ(s.DisplayTitle, u"Display \u03A9");
    EXPECT_EQ(s.MinStatusTime, 0);
    calls += "window ";
  };
  bool check_result = true;
  options.script_check = [&] {
    calls += "check ";
    return check_result;
  };

  Settings read;
  EXPECT_EQ(Read(script, read, options), 0);
  EXPECT_EQ(calls, "window check ");

  calls.clear();
  check_result = false;
  EXPECT_EQ(Read(script, read, options), kErrScriptCheck);
  EXPECT_EQ(calls, "window check ");

  // No main window: the seam is skipped, the check still runs.
  Settings quiet = MakeFull(true);
  quiet.OptionFlags |= kOptNoMainWindow;
  calls.clear();
  EXPECT_EQ(Read(WriteSettings(quiet), read, options), kErrScriptCheck);
  EXPECT_EQ(calls, "check ");
}

TEST(SettingsScript, CurrentLanguageIsTheLastExactEnglish) {
  struct LanguageCase {
    std::vector<TextW> names;
    int expected;
  };
  const LanguageCase cases[] = {
      {{u"English", u"Deutsch", u"English", u"english", u"English "}, 2},
      {{u"Deutsch", u"ENGLISH"}, 0},
      {{u"Deutsch", u"Nederlands", u"English"}, 2},
      {{u"English"}, 0},
  };
  for (const LanguageCase& c : cases) {
    Settings s = MakeFull(true);
    s.LanguageNames = c.names;
    s.StringTable = {std::vector<TextW>(c.names.size(), u"t")};
    Settings read;
    ASSERT_EQ(Read(WriteSettings(s), read), 0);
    EXPECT_EQ(read.CurrentLanguage, c.expected) << c.expected;
  }
}

TEST(SettingsScript, DefaultsForEmptyNames) {
  struct DefaultCase {
    const char* what;
    std::function<void(Settings&)> change;
    std::function<void(const Settings&)> check;
  };
  const DefaultCase cases[] = {
      {"description", [](Settings& s) { s.ProductDescription.clear(); },
       [](const Settings& r) {
         EXPECT_EQ(r.ProductDescription, u"Prod \u03A9");
         EXPECT_EQ(r.ProductDescription8, "Prod ?");
       }},
      {"shared path from publisher", [](Settings& s) { s.SharedPath.clear(); },
       [](const Settings& r) { EXPECT_EQ(r.SharedPath, u"Publisher"); }},
      {"shared path from product", [](Settings& s) { s.SharedPath.clear(); s.Publisher.clear(); },
       [](const Settings& r) {
         EXPECT_EQ(r.SharedPath, u"Prod \u03A9");
         EXPECT_EQ(r.Publisher, u"");
       }},
      {"start menu", [](Settings& s) { s.ProductStartMenu.clear(); },
       [](const Settings& r) { EXPECT_EQ(r.ProductStartMenu, u"Prod \u03A9"); }},
      {"uninstall key", [](Settings& s) { s.UninstallKeyName.clear(); },
       [](const Settings& r) { EXPECT_EQ(r.UninstallKeyName, u"Prod \u03A9"); }},
      {"nothing else is defaulted", [](Settings& s) { s.DefaultInstallDir.clear(); s.Password.clear(); },
       [](const Settings& r) {
         EXPECT_EQ(r.DefaultInstallDir, u"");
         EXPECT_EQ(r.Password, u"");
         EXPECT_EQ(r.ProductStartMenu, u"Menu");
       }},
  };
  for (const DefaultCase& c : cases) {
    SCOPED_TRACE(c.what);
    Settings s = MakeFull(true);
    c.change(s);
    Settings read;
    ASSERT_EQ(Read(WriteSettings(s), read), 0);
    c.check(read);
  }
}

TEST(SettingsScript, CommandLineProductNameWins) {
  Settings s = MakeFull(true);
  s.ProductDescription.clear();
  s.SharedPath.clear();
  s.Publisher.clear();
  s.BannerHeading = u"<product>";
  SettingsReadOptions options;
  options.product_name = u"Cmd \u00C9";
  Settings read;
  ASSERT_EQ(Read(WriteSettings(s), read, options), 0);
  EXPECT_EQ(read.ProductName, u"Cmd \u00C9");
  EXPECT_EQ(read.ProductName8, "Cmd \xC9");
  // Everything that defaults to the name, or shows it, sees the override.
  EXPECT_EQ(read.ProductDescription, u"Cmd \u00C9");
  EXPECT_EQ(read.SharedPath, u"Cmd \u00C9");
  EXPECT_EQ(read.BannerHeading, u"Cmd \u00C9");
  // The stream's field was still consumed: what follows reads as written.
  EXPECT_EQ(read.Bitness, 1);
  EXPECT_EQ(read.StringTable, s.StringTable);
}

TEST(SettingsScript, BannerHeadingPlaceholdersAreReplacedInOnePass) {
  Settings s = MakeFull(true);
  s.ProductName = u"P<os>";
  s.BannerHeading = u"<product> / <description> on <os> <Product> <os";
  SettingsReadOptions options;
  options.windows_folder = u"C:\\Windows";
  Settings read;
  ASSERT_EQ(Read(WriteSettings(s), read, options), 0);
  EXPECT_EQ(read.BannerHeading, u"P<os> / Descr \u00E9 on C:\\Windows <Product> <os");
}

TEST(SettingsScript, TableTextsGetWindowsLineEnds) {
  Settings s = MakeFull(true);
  s.StringTable[0] = {u"a\nb", u"c\rd\r\ne\n\r", u""};
  Settings read;
  ASSERT_EQ(Read(WriteSettings(s), read), 0);
  EXPECT_EQ(read.StringTable[0],
            (std::vector<TextW>{u"a\r\nb", u"c\r\nd\r\ne\r\n\r\n", u""}));
  // Names are taken as they are.
  s.LanguageNames[0] = u"De\nutsch";
  ASSERT_EQ(Read(WriteSettings(s), read), 0);
  EXPECT_EQ(read.LanguageNames[0], u"De\nutsch");
}

TEST(SettingsText, LookupTextUsesTheCurrentLanguage) {
  Settings s = MakeFull(true);
  s.StringTable.push_back({u"only one"});
  EXPECT_EQ(LookupText(s, 1, u"C:\\Win"), u"en1 Prod \u03A9");
  EXPECT_EQ(LookupText(s, 0, u""), u"en0");
  s.CurrentLanguage = 2;
  EXPECT_EQ(LookupText(s, 0, u""), u"fr0");
  EXPECT_EQ(LookupText(s, 2, u""), u"");   // row without that language
  EXPECT_EQ(LookupText(s, 3, u""), u"");   // past the table
  EXPECT_EQ(LookupText(s, -1, u""), u"");
  s.CurrentLanguage = -1;
  EXPECT_EQ(LookupText(s, 0, u""), u"");
  // The language a run chose wins over the settings' default.
  EXPECT_EQ(LookupText(s, 0, u"", 2), u"fr0");
  EXPECT_EQ(LookupText(s, 0, u"", 5), u"");

  s.CurrentLanguage = 0;
  s.StringTable[0][0] = u"<description> in <os>, <product>";
  EXPECT_EQ(LookupText(s, 0, u"C:\\Win"), u"Descr \u00E9 in C:\\Win, Prod \u03A9");
}

TEST(SettingsScript, WriteProblemsTheEncodingsCannotCarry) {
  struct ProblemCase {
    const char* what;
    std::function<void(Settings&)> change;
  };
  const ProblemCase cases[] = {
      {"delete path equal to the end marker", [](Settings& s) { s.DeleteList[1].path = "~~THE END~~"; }},
      {"window class equal to the end marker", [](Settings& s) { s.CloseList[0].window_class = "~~THE~END~~"; }},
      {"long greeting link", [](Settings& s) { s.GreetingLink.assign(0x10000, 'g'); }},
      {"long support offer", [](Settings& s) { s.SupportOffer.assign(0x10000, 'o'); }},
      {"long NoDowngradeBelow", [](Settings& s) { s.NoDowngradeBelow.assign(256, '1'); }},
      {"row wider than the languages", [](Settings& s) { s.StringTable[1].push_back(u"extra"); }},
  };
  for (const ProblemCase& c : cases) {
    SCOPED_TRACE(c.what);
    Settings s = MakeFull(true);
    c.change(s);
    EXPECT_NE(SettingsWriteProblem(s), "");
  }
  // The limits themselves still fit.
  Settings s = MakeFull(true);
  s.GreetingLink.assign(0xFFFF, 'g');
  s.NoDowngradeBelow.assign(255, '1');
  s.StringTable[1].pop_back();  // a short row is padded with empty texts
  EXPECT_EQ(SettingsWriteProblem(s), "");
  Settings read;
  ASSERT_EQ(Read(WriteSettings(s), read), 0);
  EXPECT_EQ(read.GreetingLink, s.GreetingLink);
  EXPECT_EQ(read.NoDowngradeBelow, s.NoDowngradeBelow);
  EXPECT_EQ(read.StringTable[1], (std::vector<TextW>{u"de1\r\nx", u"en1 <product>", u""}));
}

}  // namespace
}  // namespace ks
