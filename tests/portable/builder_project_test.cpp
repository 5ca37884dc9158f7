// The builder's project compiler and a build + inspect round trip against a
// small synthetic engine image.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "build.h"
#include "default_languages.h"
#include "default_messages.h"
#include "init_project.h"
#include "inspect.h"
#include "portable/archive.h"
#include "portable/payload.h"
#include "portable/pe_image.h"
#include "portable/settings_codec.h"
#include "portable/sum32.h"
#include "named_values.h"
#include "portable/conditional_deletion.h"
#include "portable/overwrite_rules.h"
#include "portable/text.h"
#include "portable/uninstall_data.h"
#include "project.h"
#include "project_defines.h"
#include "sha256.h"
#include "version_resource.h"

namespace ks::builder {
namespace {

namespace fs = std::filesystem;

// A scratch folder with a few source files, removed afterwards.
class ProjectDir : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("keldwick-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "app" / "bin");
    Write("app/readme.txt", "read me\r\n");
    Write("app/bin/tool.cmd", "@echo off\r\n");
    Write("single.dat", std::string(3000, 'x'));
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& rel, const std::string& text) {
    std::ofstream(dir_ / rel, std::ios::binary) << text;
  }
  bool Parse(const std::string& text, Project& p, ProjectError& e) {
    return ParseProject(text, "p.toml", dir_, p, e);
  }

  fs::path dir_;
};

TEST_F(ProjectDir, ErrorsNameFileLineAndColumn) {
  const struct {
    const char* text;
    int line, column;
    const char* says;
  } kCases[] = {
      {"[product]\nname = \"A\"\nversion = \n", 3, 11, ""},  // TOML syntax
      {"[product]\nname = \"A\"\n[options]\nwrite_logg = true\n", 4, 14, "unknown option 'write_logg'"},
      {"[product]\nname = \"A\"\n[options]\ncompress = 1\n", 4, 12, "must be true or false"},
      {"[product]\nname = \"A\"\ncolour = 3\n", 3, 1, "unknown key 'colour'"},
      {"[product]\nname = \"A\"\nbitness = \"16\"\n", 3, 11, "bitness"},
      {"[product]\nname = \"A\"\n[[files]]\nsource = \"missing.txt\"\n", 4, 10, "does not exist"},
      {"[product]\nname = \"A\"\n[[files]]\nsource = \"app\"\nkind = \"font\"\n", 5, 8, "kind"},
      {"[product]\nname = \"A\"\n[[files]]\nsource = \"app\"\ndest = \"../up\"\n", 5, 8, "\"..\""},
      {"[product]\nname = \"A\"\n[archive]\nkey = \"12\"\n[options]\nblowfish = true\n", 4, 7, "16 hex"},
      {"[product]\nname = \"A\"\n[[languages]]\nname = \"English\"\n[languages.messages]\n\"x\" = \"y\"\n", 6, 7,
       "not a number"},
      {"[product]\nname = \"A\"\nversion = \"1.0 \xE2\x82\xAC\xE2\x98\x83\"\n", 3, 11, "code page 1252"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    Project p;
    ProjectError e;
    ASSERT_FALSE(Parse(c.text, p, e));
    EXPECT_EQ(e.file, "p.toml");
    EXPECT_EQ(e.line, c.line);
    EXPECT_EQ(e.column, c.column);
    EXPECT_NE(e.message.find(c.says), std::string::npos) << e.message;
    EXPECT_EQ(e.Text().rfind("p.toml:" + std::to_string(c.line) + ":" + std::to_string(c.column) + ": ", 0), 0u)
        << e.Text();
  }
}

TEST(Sha256, StandardVectors) {
  auto hex = [](std::string_view text) {
    return Sha256Hex(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  };
  EXPECT_EQ(hex(""), "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
  EXPECT_EQ(hex("abc"), "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
  // 56 bytes: the length no longer fits the first padding block.
  EXPECT_EQ(hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1");
  EXPECT_EQ(hex(std::string(1000000, 'a')), "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0");
}

TEST(Defines, ReferencesAreReplacedOrRefused) {
  Defines d;
  std::string problem;
  ASSERT_TRUE(ParseDefine("VERSION=2.4.1", d, problem));
  ASSERT_TRUE(ParseDefine("_dir=C:\\A=B", d, problem));  // the value keeps its own '='
  for (const char* bad : {"VERSION", "=x", "1A=x", "A-B=x"}) EXPECT_FALSE(ParseDefine(bad, d, problem)) << bad;
  const struct {
    const char* text;
    const char* out;  // nullptr: refused, and `says` is in the problem
    const char* says;
  } kCases[] = {
      {"v${VERSION}", "v2.4.1", ""},
      {"${_dir}\\${VERSION}${VERSION}", "C:\\A=B\\2.4.12.4.1", ""},
      {"$${VERSION} and $x and $", "${VERSION} and $x and $", ""},
      {"${MISSING}", nullptr, "'MISSING' is not defined"},
      {"${VERSION", nullptr, "closing"},
      {"${A B}", nullptr, "does not name"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    std::string out;
    bool ok = SubstituteDefines(c.text, d, out, problem);
    ASSERT_EQ(ok, c.out != nullptr) << problem;
    if (ok) EXPECT_EQ(out, c.out);
    else EXPECT_NE(problem.find(c.says), std::string::npos) << problem;
  }
}

TEST_F(ProjectDir, DefinesFillNestedStringsAndNameTheUndefinedOnesPlace) {
  Defines d{{"V", "3.1"}, {"SRC", "app"}};
  Project p;
  ProjectError e;
  ASSERT_TRUE(ParseProject("[product]\nname = \"A ${V}\"\nversion = \"${V}\"\n[[files]]\nsource = \"${SRC}\"\n",
                           "p.toml", dir_, p, e, d))
      << e.Text();
  EXPECT_EQ(p.settings.ProductVersion, "3.1");
  EXPECT_EQ(p.files.size(), 2u);
  ASSERT_FALSE(ParseProject("[product]\nname = \"A\"\nversion = \"${BUILD}\"\n", "p.toml", dir_, p, e, d));
  EXPECT_EQ(e.Text(), "p.toml:3:11: 'BUILD' is not defined (give it with --define BUILD=VALUE)");
}

TEST_F(ProjectDir, StarterProjectBuildsAsWritten) {
  // The "app" folder is generic: the product takes the name of the folder above it.
  Write("app/Tally Pro.exe", "MZ");
  std::string text = StarterProject(dir_ / "app", dir_);
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(text, p, e)) << e.Text() << "\n" << text;
  std::u16string name = Utf8ToUtf16(dir_.filename().string());
  EXPECT_EQ(p.settings.ProductName, name);
  EXPECT_EQ(p.files.size(), 3u);
  EXPECT_NE(text.find("# target = \"%InstallDir%\\\\Tally Pro.exe\""), std::string::npos) << text;
}

TEST_F(ProjectDir, EveryNamedOptionSetsItsOwnBit) {
  Project defaults;
  ProjectError e;
  ASSERT_TRUE(Parse("[product]\nname = \"A\"\n", defaults, e)) << e.Text();
  for (const NamedOption& o : OptionTable()) {
    SCOPED_TRACE(std::string(o.name));
    Project p;
    std::string text = "[product]\nname = \"A\"\n[options]\n" + std::string(o.name) + " = " +
                       (o.default_on ? "false" : "true") + "\n";
    ASSERT_TRUE(Parse(text, p, e)) << e.Text();
    uint32_t diff[3] = {p.settings.OptionFlags ^ defaults.settings.OptionFlags,
                        p.settings.OptionFlags2 ^ defaults.settings.OptionFlags2,
                        p.archive_flags ^ defaults.archive_flags};
    for (int w = 0; w < 3; ++w) EXPECT_EQ(diff[w], w == int(o.word) ? o.bit : 0u) << "word " << w;
  }
  EXPECT_EQ(defaults.settings.OptionFlags, kOptUninstaller | kOptZlibPayload);
  EXPECT_EQ(defaults.settings.OptionFlags2, kOpt2EngineChecksum);
  EXPECT_EQ(defaults.archive_flags, kArcUninstallerImage);
}

TEST_F(ProjectDir, ProductFilesAndLanguages) {
  const char* text = R"(
[product]
name = "Demo"
version = "2.1"
install_dir = "%ProgramsDir%\\Demo"
silent = true
bitness = "64"
[[files]]
source = "app"
dest = "sub/dir/"
[[files]]
source = "single.dat"
overwrite = "if_missing"
permanent = true
start_menu_shortcut = true
shortcut_name = "Single"
[[languages]]
name = "English"
[[languages]]
name = "Deutsch"
[languages.messages]
"13" = "Kaputt: %d"
"150" = "extra"
)";
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(text, p, e)) << e.Text();
  const Settings& s = p.settings;
  EXPECT_EQ(s.ProductName, u"Demo");
  EXPECT_EQ(s.ProductVersion, "2.1");
  EXPECT_EQ(s.DefaultInstallDir, u"%ProgramsDir%\\Demo");
  EXPECT_EQ(s.SilentMode, 1);
  EXPECT_EQ(s.Bitness, 1);
  ASSERT_EQ(p.files.size(), 3u);
  EXPECT_EQ(p.files[0].record.FileName, "sub\\dir\\bin\\tool.cmd");
  EXPECT_EQ(p.files[1].record.FileName, "sub\\dir\\readme.txt");
  EXPECT_EQ(p.files[2].record.FileName, "single.dat");
  EXPECT_EQ(p.files[2].record.FileFlags, kFileOverwriteIfMissing | kFilePermanent | kFileStartMenuShortcut);
  EXPECT_EQ(p.files[2].record.Title, "Single");
  EXPECT_EQ(p.files[0].record.Attributes, 0x20u);
  EXPECT_TRUE(p.files[0].record.FileTime.IsSet());

  ASSERT_EQ(s.LanguageNames, (std::vector<std::u16string>{u"English", u"Deutsch"}));
  ASSERT_EQ(s.StringTable.size(), 151u);
  EXPECT_EQ(s.StringTable[13][1], u"Kaputt: %d");
  EXPECT_NE(s.StringTable[13][0].find(u"Error code: %d"), std::u16string::npos);
  EXPECT_EQ(s.StringTable[150][0], u"");
  EXPECT_EQ(s.StringTable[150][1], u"extra");
  // Not overridden: the language's own default text.
  EXPECT_EQ(s.StringTable[98][0], Utf8ToUtf16(DefaultMessage(98)));
  EXPECT_EQ(s.StringTable[98][1], Utf8ToUtf16(DefaultMessage(*FindDefaultLanguage("de"), 98)));
  EXPECT_NE(s.StringTable[98][1], s.StringTable[98][0]);
  EXPECT_TRUE(SettingsWriteProblem(s).empty()) << SettingsWriteProblem(s);
}

TEST(DefaultMessages, ArgumentsMatchWhatTheEnginePasses) {
  // Texts the engine formats must take exactly these conversions, in order.
  const struct {
    int n;
    const char* conversions;
  } kFormatted[] = {{10, "s"}, {12, "s"}, {13, "d"}, {16, "s"}, {18, "s"}, {19, "sss"}, {22, "s"},
                    {23, "s"}, {38, "s"}, {40, "s"}, {56, "s"}, {59, "s"}, {61, "s"}, {73, "s"},
                    {81, "d"}, {96, "s"}, {99, "s"}, {106, "s"}, {107, "s"}, {112, "ss"}};
  auto conversions = [](std::string_view t) {
    std::string out;
    for (size_t i = 0; i + 1 < t.size(); ++i)
      if (t[i] == '%') out += t[++i];
    return out;
  };
  for (int n = 0; n < kMessageCount; ++n) {
    SCOPED_TRACE(n);
    std::string expected;
    for (const auto& f : kFormatted)
      if (f.n == n) expected = f.conversions;
    EXPECT_EQ(conversions(DefaultMessage(n)), expected);
  }
  // Texts added to every licence/readme page must stay empty by default.
  EXPECT_TRUE(DefaultMessage(63).empty());
  EXPECT_TRUE(DefaultMessage(64).empty());
  EXPECT_FALSE(DefaultMessage(21).empty());
  EXPECT_FALSE(DefaultMessage(113).empty());
}

// A stripped-down 32-bit PE with four sections, like the engine.
Bytes MakeEngine() {
  constexpr uint32_t kPe = 0x80, kHeaders = 0x400, kFileAlign = 0x200, kSectionAlign = 0x1000;
  Bytes exe(kHeaders, 0);
  exe[0] = 'M';
  exe[1] = 'Z';
  StoreU32(exe.data() + 60, kPe);
  std::memcpy(exe.data() + kPe, "PE\0\0", 4);
  StoreU16(exe.data() + kPe + 4, 0x14C);
  StoreU16(exe.data() + kPe + 6, 4);
  StoreU16(exe.data() + kPe + 20, 0xE0);
  StoreU16(exe.data() + kPe + 24, 0x10B);
  StoreU32(exe.data() + kPe + kPeSectionAlignment, kSectionAlign);
  StoreU32(exe.data() + kPe + kPeFileAlignment, kFileAlign);
  StoreU32(exe.data() + kPe + kPeSizeOfHeaders, kHeaders);
  const char* names[] = {".text", ".rdata", ".data", ".rsrc"};
  uint32_t va = kSectionAlign;
  for (int i = 0; i < 4; ++i) {
    uint8_t* sh = exe.data() + kPe + 24 + 0xE0 + i * 40;
    std::memcpy(sh, names[i], std::strlen(names[i]));
    StoreU32(sh + 8, kFileAlign);
    StoreU32(sh + 12, va);
    StoreU32(sh + 16, kFileAlign);
    StoreU32(sh + 20, uint32_t(exe.size()));
    StoreU32(sh + 36, 0x40000040);
    exe.resize(exe.size() + kFileAlign, uint8_t(0x90 + i));
    va += kSectionAlign;
  }
  StoreU32(exe.data() + kPe + kPeSizeOfImage, va);
  StoreU32(exe.data() + kPe + kPeSizeOfInitializedData, 4 * kFileAlign);
  return exe;
}

TEST_F(ProjectDir, BuildAndInspectRoundTrip) {
  for (bool blowfish : {false, true}) {
    SCOPED_TRACE(blowfish ? "blowfish" : "xor");
    std::string text = "[product]\nname = \"Demo\"\nversion = \"1.0\"\n[options]\nwrite_log = true\n";
    if (blowfish) text += "blowfish = true\n[archive]\nkey = \"0011223344556677\"\n";
    text += "[[files]]\nsource = \"app\"\n[[files]]\nsource = \"single.dat\"\n";
    Project p;
    ProjectError e;
    ASSERT_TRUE(Parse(text, p, e)) << e.Text();
    Bytes installer;
    std::string error;
    // Small chunks so that the 3000-byte file spans several.
    ASSERT_TRUE(BuildInstaller(p, MakeEngine(), installer, error, {.chunk_input = 1024})) << error;

    SetupSection sec;
    ASSERT_EQ(LocateSetupSection(installer, sec), kArcOk);
    EXPECT_EQ(sec.section_count, 5);
    EXPECT_EQ(sec.index, 4);
    ByteReader cursor(std::span<const uint8_t>(installer).subspan(sec.raw_pointer, sec.raw_size));
    ArchiveHeader h;
    ASSERT_EQ(ReadArchiveHeader(cursor, h), kArcOk);
    EXPECT_EQ(h.EngineChecksum, EngineChecksum(installer.data(), sec.raw_pointer, sec.pe_offset));
    EXPECT_EQ(h.FileSizes, (std::vector<uint32_t>{11, 9, 3000}));
    EXPECT_EQ(h.ArchiveFlags & kArcBlowfish, blowfish ? kArcBlowfish : 0u);

    std::string json;
    ASSERT_TRUE(InspectInstaller(installer, json, error)) << error;
    auto j = nlohmann::json::parse(json);
    EXPECT_EQ(j["settings"]["ProductName"], "Demo");
    EXPECT_EQ(j["settings"]["OptionFlags"], "0x00000064");
    EXPECT_EQ(j["checks"]["engine_checksum"], "ok");
    EXPECT_GT(j["checks"]["payload_chunks"].get<int>(), 2);
    ASSERT_EQ(j["files"].size(), 3u);
    EXPECT_EQ(j["files"][0]["FileName"], "bin\\tool.cmd");
    EXPECT_EQ(j["files"][2]["FileName"], "single.dat");
    EXPECT_EQ(j["files"][2]["size"], 3000);
    EXPECT_EQ(j["files"][2]["checksum"], [] {
      std::string x(3000, 'x');
      char buf[16];
      std::snprintf(buf, sizeof buf, "0x%08X", Sum32(x.data(), 3000));
      return std::string(buf);
    }());
    EXPECT_EQ(j["settings"]["StringTable"].size(), size_t(kMessageCount));

    // A flipped payload byte is what the engine reports as error 55.
    Bytes damaged = installer;
    damaged[sec.raw_pointer + h.ArchiveEnd - 1] ^= 1;
    EXPECT_FALSE(InspectInstaller(damaged, json, error));
    EXPECT_NE(error.find("error code 55"), std::string::npos) << error;
  }
}

// Errors of the keys that describe what the engine installs, each at the
// place the author has to change.
TEST_F(ProjectDir, InstallKeysReportBadValuesWhereTheyStand) {
  const std::string head = "[product]\nname = \"A\"\n";  // lines 1-2
  const struct {
    std::string text;  // from line 3
    int line, column;
    const char* says;
  } kCases[] = {
      // [[files]]
      {"[[files]]\nsource = \"app\"\nkind = \"startup\"\n", 5, 8, "not installed by the engine yet"},
      {"[[files]]\nsource = \"app\"\nkind = \"font\"\n", 5, 8, "needs a font_face"},
      {"[[files]]\nsource = \"app\"\nkind = \"font\"\nfont_face = \"\"\n", 6, 13, "needs a font_face"},
      {"[[files]]\nsource = \"app\"\nfont_face = \"X\"\n", 5, 13, "kind \"font\" only"},
      {"[[files]]\nsource = \"app\"\nkind = \"font\"\napplet_name = \"X\"\nfont_face = \"F\"\n", 6, 15,
       "kind \"applet\" only"},
      {"[[files]]\nsource = \"app\"\nkind = \"msi_package\"\nmsi_ui_level = \"silent\"\n", 6, 16, "\"reduced\""},
      {"[[files]]\nsource = \"app\"\nkind = \"applet\"\nuninstall_with_product = true\n", 6, 26,
       "kind \"msi_package\" only"},
      {"[[files]]\nsource = \"app\"\nkind = \"driver_inf\"\nversion = \"1.0\"\n", 6, 11, "com_server"},
      {"[[files]]\nsource = \"app\"\nkind = \"shared\"\noverwrite = \"always\"\n", 6, 13, "by_kind"},
      {"[[files]]\nsource = \"app\"\noverwrite = \"sometimes\"\n", 5, 13, "\"unless_newer\""},
      {"[[files]]\nsource = \"app\"\nversion = \"1.0\"\n", 5, 11, "versioned"},
      {"[[files]]\nsource = \"app\"\nkind = \"versioned\"\nshortcut_name = \"X\"\n", 6, 17, "kind \"file\" only"},
      {"[[files]]\nsource = \"app\"\nicon = \"x.ico\"\n", 5, 8, "needs desktop_shortcut"},
      {"[[files]]\nsource = \"app\"\nattributes = [\"archive\", \"readonly\"]\n", 5, 26, "read_only"},
      {"[[files]]\nsource = \"app\"\nattributes = []\nkeep_attributes = true\n", 5, 14, "exclude"},
      {"[[files]]\nsource = \"app\"\ndest = \"sub/%ProductName%/\"\n", 5, 8, "start of dest"},
      {"[[files]]\nsource = \"app\"\ndest = \"a:b/\"\n", 5, 8, "not a valid"},
      {"[[files]]\nsource = \"app\"\ninto_uninstall_folder = true\ndest = \"%InstallDir%\\\\x\\\\\"\n", 6, 8,
       "uninstall-data folder"},
      {"[[files]]\nsource = \"single.dat\"\n[[files]]\nsource = \"app\"\n[[files]]\nsource = \"single.dat\"\n"
       "dest = \"%InstallDir%\\\\\"\n",
       7, 1, "same file %InstallDir%\\single.dat"},
      // [product]
      {"install_dir = \"HKCR\\\\Software\\\\A\\\\Path\"\n", 3, 15, "HKLM or HKCU"},
      {"install_dir = \"HKLM\\\\Path\"\n", 3, 15, "key and a value name"},
      {"install_dir = \"<master>\"\n", 3, 15, "[required_product]"},
      {"install_dir_registry_value = \"Software\\\\A\\\\Dir\"\n", 3, 30, "registry root"},
      {"uninstall_subdir = \"../up\"\n", 3, 20, "subfolder"},
      {"shared_folder_base = \"home\"\n", 3, 22, "\"common64\""},
      {"excluded_systems = [\"xp\", \"windows12\"]\n", 3, 27, "\"server2016\""},
      {"excluded_systems = \"xp\"\n", 3, 20, "list of names"},
      {"min_status_time = 10000\n", 3, 19, "from 0 to 9999"},
      {"extra_space = -1\n", 3, 15, "from 0"},
      {"must_uninstall_below = \"2.0\"\n", 3, 24, "must_uninstall_first = true"},
      {"confirm_upgrade_below = \"2.0\"\n", 3, 25, "confirm_upgrade = true"},
      {"no_downgrade_below = \"" + std::string(256, '1') + "\"\n", 3, 22, "255"},
      // [[delete]]
      {"[[delete]]\npath = \"x\"\ncompare = \"date_equal\"\n", 5, 11, "needs a value"},
      {"[[delete]]\npath = \"x\"\ncompare = \"date_equal\"\nvalue = \"yesterday\"\n", 6, 9, "local date"},
      {"[[delete]]\npath = \"x\"\ncompare = \"date_equal\"\nvalue = 2024-03-05T10:00:00Z\n", 6, 9, "local date"},
      {"[[delete]]\npath = \"x\"\nvalue = \"1\"\n", 5, 9, "takes no value"},
      {"[[delete]]\npath = \"x\"\ncompare = \"size_at_least\"\nvalue = -3\n", 6, 9, "size in bytes"},
      {"[[delete]]\npath = \"x\"\ncompare = \"size_at_most\"\nvalue = \"12kb\"\n", 6, 9, "size in bytes"},
      {"[[delete]]\npath = \"x\"\nrestart = \"later\"\n", 5, 11, "\"on_failure\""},
      {"[[delete]]\npath = \"x\"\nat_install = false\n", 3, 1, "at_install, at_uninstall or both"},
      {"[[delete]]\ncompare = \"always\"\n", 3, 1, "'path'"},
      {"[[delete]]\npath = \"~~THE END~~\"\n", 4, 8, "end marker"},
      // [[close]]
      {"[[close]]\nprogram_name = \"Editor\"\n", 3, 1, "window_class or window_title"},
      {"[[close]]\nwindow_class = \"Edit\"\naction = \"ask\"\n", 5, 10, "program_name"},
      {"[[close]]\nwindow_class = \"Edit\"\naction = \"kill\"\n", 5, 10, "\"terminate\""},
      {"[[close]]\nwindow_class = \"~~THE~END~~\"\n", 4, 16, "end marker"},
      {"[[close]]\nwindow_title = \"Edit\"\nat_install = false\n", 3, 1, "at_install, at_uninstall or both"},
      // other tables
      {"[required_product]\nkey = \"B\"\nminimum = \"1\"\n", 5, 1, "unknown key 'minimum'"},
      {"[batches]\npre_install = \"echo \xE2\x98\x83\"\n", 4, 15, "code page 1252"},
      {"[delete]\npath = \"x\"\n", 3, 1, "array of tables"},
  };
  for (const auto& c : kCases) {
    std::string text = head + c.text;
    SCOPED_TRACE(text);
    Project p;
    ProjectError e;
    ASSERT_FALSE(Parse(text, p, e));
    EXPECT_EQ(e.line, c.line);
    EXPECT_EQ(e.column, c.column);
    EXPECT_NE(e.message.find(c.says), std::string::npos) << e.message;
  }
}

TEST_F(ProjectDir, ListsStopAfterAThousandEntries) {
  for (const char* list : {"delete", "close"}) {
    SCOPED_TRACE(list);
    std::string entry = std::string("[[") + list + "]]\n" + (list == std::string("delete") ? "path" : "window_class") +
                        " = \"x\"\n";
    std::string text = "[product]\nname = \"A\"\n";
    for (int i = 0; i < 1000; ++i) text += entry;
    Project p;
    ProjectError e;
    ASSERT_TRUE(Parse(text, p, e)) << e.Text();
    EXPECT_EQ(p.settings.DeleteList.size() + p.settings.CloseList.size(), 1000u);
    text += entry;  // the 1001st, on line 2003
    ASSERT_FALSE(Parse(text, p, e));
    EXPECT_EQ(e.line, 2003);
    EXPECT_NE(e.message.find("at most 1000"), std::string::npos) << e.message;
  }
}

// Each name lands on the number the engine reads (values as the engine's
// tables define them, written out here on purpose).
TEST_F(ProjectDir, NamedValuesMapToTheEngineNumbers) {
  auto parse = [&](const std::string& text) {
    Project p;
    ProjectError e;
    EXPECT_TRUE(Parse("[product]\nname = \"A\"\n" + text, p, e)) << e.Text() << "\n" << text;
    return p;
  };
  const std::pair<const char*, uint32_t> kSystems[] = {
      {"other", 0x1},   {"win32s", 0x2},      {"95", 0x4},     {"98", 0x8},          {"me", 0x10},
      {"nt3", 0x20},    {"nt4", 0x40},        {"2000", 0x80},  {"xp", 0x100},        {"server2003", 0x200},
      {"vista", 0x400}, {"server2008", 0x800}, {"7", 0x1000},   {"8", 0x2000},        {"server2012", 0x4000},
      {"10", 0x8000},   {"server2016", 0x10000}};
  for (const auto& [name, bit] : kSystems)
    EXPECT_EQ(parse("excluded_systems = [\"" + std::string(name) + "\"]\n").settings.ExcludedSystems, bit) << name;
  EXPECT_EQ(parse("excluded_systems = [\"7\", \"8\", \"7\"]\n").settings.ExcludedSystems, 0x3000u);

  const std::pair<const char*, int> kBases[] = {{"default", 0}, {"app_data", 1}, {"common32", 2}, {"common64", 3}};
  for (const auto& [name, value] : kBases)
    EXPECT_EQ(parse("shared_folder_base = \"" + std::string(name) + "\"\n").settings.SharedFolderBase, value) << name;

  const std::pair<const char*, int> kActions[] = {{"close", 0}, {"quit", 1}, {"ask", 2}, {"terminate", 3}};
  for (const auto& [name, value] : kActions) {
    Project p = parse("[[close]]\nwindow_class = \"C\"\nprogram_name = \"P\"\naction = \"" + std::string(name) + "\"\n");
    ASSERT_EQ(p.settings.CloseList.size(), 1u);
    EXPECT_EQ(p.settings.CloseList[0].action, value) << name;
    EXPECT_EQ(p.settings.CloseList[0].flags, kCloseAtInstall);
  }
  Project both = parse("[[close]]\nwindow_title = \"T\"\nat_install = false\nat_uninstall = true\n");
  EXPECT_EQ(both.settings.CloseList.at(0).flags, kCloseAtUninstall);

  const struct {
    const char* keys;
    uint8_t kind;
    const char* value;
    uint8_t flags;
  } kDeletes[] = {
      {"", 0, "", 0x4},
      {"compare = \"date_equal\"\nvalue = 2024-03-05\n", 1, "2024-03-05", 0x4},
      {"compare = \"date_on_or_after\"\nvalue = 2024-03-05T14:30:15\n", 2, "2024-03-05 14:30:15", 0x4},
      {"compare = \"date_on_or_before\"\nvalue = \"5-Mar-2024\"\n", 3, "5-Mar-2024", 0x4},
      {"compare = \"size_equal\"\nvalue = 0\n", 4, "0", 0x4},
      {"compare = \"size_at_least\"\nvalue = 4096\n", 5, "4096", 0x4},
      {"compare = \"size_at_most\"\nvalue = \"12\"\n", 6, "12", 0x4},
      {"restart = \"always\"\n", 0, "", 0x5},
      {"restart = \"on_failure\"\nat_uninstall = true\n", 0, "", 0xE},
      {"at_install = false\nat_uninstall = true\n", 0, "", 0x8},
  };
  for (const auto& d : kDeletes) {
    Project p = parse("[[delete]]\npath = \"%InstallDir%\\\\old\\\\*.tmp\"\n" + std::string(d.keys));
    ASSERT_EQ(p.settings.DeleteList.size(), 1u) << d.keys;
    const DeleteEntry& e = p.settings.DeleteList[0];
    EXPECT_EQ(e.path, "%InstallDir%\\old\\*.tmp");
    EXPECT_EQ(e.kind, d.kind) << d.keys;
    EXPECT_EQ(e.value, d.value) << d.keys;
    EXPECT_EQ(e.flags, d.flags) << d.keys;
    // Whatever the builder stores as a date, the engine's reader takes.
    if (d.kind >= 1 && d.kind <= 3) {
      EXPECT_TRUE(ParseDeletionDate(e.value)) << e.value;
    }
  }

  const struct {
    const char* keys;
    uint32_t kind, flags, attributes;
  } kFiles[] = {
      {"", kKindFile, 0, 0x20},
      {"kind = \"shared\"\n", kKindShared, 0, 0x20},
      {"kind = \"versioned\"\nversion = \"1.2\"\n", kKindVersioned, 0, 0x20},
      {"overwrite = \"always\"\n", kKindFile, 0, 0x20},
      {"kind = \"versioned\"\noverwrite = \"by_kind\"\n", kKindVersioned, 0, 0x20},
      {"overwrite = \"never\"\n", kKindFile, 4, 0x20},
      {"kind = \"shared\"\noverwrite = \"if_exists\"\n", kKindShared, 8, 0x20},
      {"overwrite = \"if_missing\"\n", kKindFile, 12, 0x20},
      {"overwrite = \"unless_newer\"\npermanent = true\n", kKindFile, 16 | 0x20, 0x20},
      {"into_uninstall_folder = true\n", kKindFile, 0x40, 0x20},
      {"desktop_shortcut = true\nstart_menu_shortcut = true\nicon = \"i.ico\"\n", kKindFile, 0x3, 0x20},
      {"attributes = [\"read_only\", \"hidden\", \"system\", \"archive\"]\n", kKindFile, 0, 0x27},
      {"attributes = []\n", kKindFile, 0, 0},
      {"keep_attributes = true\n", kKindFile, 0, kKeepAttributes},
  };
  for (const auto& f : kFiles) {
    Project p = parse("[[files]]\nsource = \"single.dat\"\n" + std::string(f.keys));
    ASSERT_EQ(p.files.size(), 1u) << f.keys;
    EXPECT_EQ(p.files[0].record.Kind, f.kind) << f.keys;
    EXPECT_EQ(p.files[0].record.FileFlags, f.flags) << f.keys;
    EXPECT_EQ(p.files[0].record.Attributes, f.attributes) << f.keys;
  }
  EXPECT_EQ(parse("[[files]]\nsource = \"single.dat\"\nkind = \"versioned\"\nversion = \"1.2\"\n").files[0].record.Title,
            "1.2");

  Project product = parse(
      "install_dir = \"hkey_local_machine\\\\Software\\\\A\\\\Path\"\n"
      "install_dir_registry_value = \"HKCU\\\\Software\\\\A\\\\Dir\"\n"
      "shared_folder = \"Common A\"\nshared_folder_on_removable = \"shared\"\n"
      "must_uninstall_below = \"1.5\"\nconfirm_upgrade_below = \"1.8\"\nno_downgrade_below = \"1.2\"\n"
      "min_status_time = 9999\nextra_space = 5000000000\n"
      "[options]\nmust_uninstall_first = true\nconfirm_upgrade = true\nremove_install_dir_value = true\n"
      "[required_product]\nkey = \"Base\"\nname = \"Base Product\"\nversion = \"3.0\"\n"
      "[batches]\npre_install = \"\"\"\necho one\necho two\n\"\"\"\nexit = \"echo bye\"\n"
      "[[files]]\nsource = \"single.dat\"\nkind = \"shared\"\n");
  const Settings& s = product.settings;
  EXPECT_EQ(s.DefaultInstallDir, u"HKLM\\Software\\A\\Path");
  EXPECT_EQ(s.InstallDirRegistryValue, "\\HKCU\\Software\\A\\Dir");
  EXPECT_EQ(s.SharedPath, u"Common A");
  EXPECT_EQ(s.SharedPathOnRemovable, u"shared");
  EXPECT_EQ(s.MustUninstallBelow, "1.5");
  EXPECT_EQ(s.ConfirmUpgradeBelow, "1.8");
  EXPECT_EQ(s.NoDowngradeBelow, "1.2");
  EXPECT_EQ(s.MinStatusTime, 9999);
  EXPECT_EQ(s.ExtraSpace, 5000000000u);
  EXPECT_EQ(s.OptionFlags & (kOptMustUninstall | kOptRequiredProduct), kOptMustUninstall | kOptRequiredProduct);
  EXPECT_TRUE(s.OptionFlags2 & kOpt2ConfirmUpgrade);
  EXPECT_TRUE(product.archive_flags & kArcRecordInstallDirValue);
  EXPECT_EQ(s.RequiredProductKey, u"Base");
  EXPECT_EQ(s.RequiredProductName, "Base Product");
  EXPECT_EQ(s.RequiredProductVersion, "3.0");
  EXPECT_EQ(s.PreInstallBatch, "echo one\r\necho two\r\n");
  EXPECT_EQ(s.ExitBatch, "echo bye");
  EXPECT_EQ(parse("install_dir = \"<master>\"\n[required_product]\n").settings.DefaultInstallDir, u"<master>");
  EXPECT_EQ(parse("").settings.OptionFlags & kOptRequiredProduct, 0u);
}

// `dest` as the engine resolves the records the builder made from it.
TEST_F(ProjectDir, DestResolvesWhereTheEngineWritesTheFile) {
  const DestinationFolders folders{u"C:\\P", u"C:\\S", u"C:\\P\\un", u"C:\\W\\Fonts", u"C:\\W\\sys"};
  auto expand = [](std::u16string text) {
    for (auto [name, value] : {std::pair{u"%InstallDir%", u"C:\\P"}, std::pair{u"%SharedDir%", u"C:\\S"}}) {
      for (size_t at; (at = text.find(name)) != std::u16string::npos;) text.replace(at, std::u16string_view(name).size(), value);
    }
    return text;
  };
  const struct {
    const char* source;
    const char* keys;
    std::vector<const char16_t*> paths;  // sorted by source name
  } kCases[] = {
      {"single.dat", "", {u"C:\\P\\single.dat"}},
      {"single.dat", "dest = \"bin/\"", {u"C:\\P\\bin\\single.dat"}},
      {"single.dat", "dest = \"renamed.dat\"", {u"C:\\P\\renamed.dat"}},
      {"single.dat", "dest = \"bin\\\\renamed.dat\"", {u"C:\\P\\bin\\renamed.dat"}},
      {"single.dat", "dest = \"%InstallDir%\"", {u"C:\\P\\single.dat"}},
      {"single.dat", "dest = \"%InstallDir%\\\\bin\\\\\"", {u"C:\\P\\bin\\single.dat"}},
      {"single.dat", "dest = \"%SharedDir%\\\\x\"", {u"C:\\S\\x"}},
      {"single.dat", "dest = \"D:/Tools/\"", {u"D:\\Tools\\single.dat"}},
      {"single.dat", "kind = \"shared\"\ndest = \"sub/y.dat\"", {u"C:\\S\\sub\\y.dat"}},
      {"single.dat", "into_uninstall_folder = true\ndest = \"data/\"", {u"C:\\P\\un\\data\\single.dat"}},
      {"single.dat", "into_uninstall_folder = true\ndest = \"x.dat\"", {u"C:\\P\\un\\x.dat"}},
      {"app", "", {u"C:\\P\\bin\\tool.cmd", u"C:\\P\\readme.txt"}},
      {"app", "dest = \"sub\"", {u"C:\\P\\sub\\bin\\tool.cmd", u"C:\\P\\sub\\readme.txt"}},
      {"app", "dest = \"%InstallDir%\\\\data\"", {u"C:\\P\\data\\bin\\tool.cmd", u"C:\\P\\data\\readme.txt"}},
      {"app", "kind = \"shared\"\ndest = \"%SharedDir%\\\\x\\\\\"", {u"C:\\S\\x\\bin\\tool.cmd", u"C:\\S\\x\\readme.txt"}},
  };
  for (const auto& c : kCases) {
    std::string text = std::string("[product]\nname = \"A\"\n[[files]]\nsource = \"") + c.source + "\"\n" + c.keys + "\n";
    SCOPED_TRACE(text);
    Project p;
    ProjectError e;
    ASSERT_TRUE(Parse(text, p, e)) << e.Text();
    ASSERT_EQ(p.files.size(), c.paths.size());
    for (size_t i = 0; i < p.files.size(); ++i) {
      const FileRecord& r = p.files[i].record;
      DestinationRequest request{r.Kind, r.FileFlags, Cp1252ToUtf16(r.FileName), Cp1252ToUtf16(r.Destination)};
      ResolvedDestination where = ResolveDestination(request, folders, expand);
      EXPECT_EQ(where.error, 0);
      EXPECT_EQ(Utf16ToUtf8(where.path), Utf16ToUtf8(c.paths[i])) << r.FileName << " / " << r.Destination;
    }
  }
}

// A PE image with one section holding a version resource of `ms`.`ls`.
Bytes MakeVersionedImage(uint32_t ms, uint32_t ls) {
  constexpr uint32_t kPe = 0x80, kRaw = 0x400, kVa = 0x1000;
  Bytes exe(kRaw + 0x200, 0);
  exe[0] = 'M';
  exe[1] = 'Z';
  StoreU32(exe.data() + 60, kPe);
  std::memcpy(exe.data() + kPe, "PE\0\0", 4);
  StoreU16(exe.data() + kPe + 6, 1);
  StoreU16(exe.data() + kPe + 20, 0xE0);
  StoreU16(exe.data() + kPe + 24, 0x10B);
  StoreU32(exe.data() + kPe + 24 + 96 + 16, kVa);  // resource directory
  StoreU32(exe.data() + kPe + 24 + 96 + 20, 0x200);
  uint8_t* sh = exe.data() + kPe + 24 + 0xE0;
  std::memcpy(sh, ".rsrc", 5);
  StoreU32(sh + 8, 0x200);
  StoreU32(sh + 12, kVa);
  StoreU32(sh + 16, 0x200);
  StoreU32(sh + 20, kRaw);
  uint8_t* r = exe.data() + kRaw;
  // type 16 -> name 1 -> language 0x409 -> data entry
  StoreU16(r + 14, 1), StoreU32(r + 16, 16), StoreU32(r + 20, 0x80000000 | 0x18);
  StoreU16(r + 0x18 + 14, 1), StoreU32(r + 0x18 + 16, 1), StoreU32(r + 0x18 + 20, 0x80000000 | 0x30);
  StoreU16(r + 0x30 + 14, 1), StoreU32(r + 0x30 + 16, 0x409), StoreU32(r + 0x30 + 20, 0x48);
  StoreU32(r + 0x48, kVa + 0x60), StoreU32(r + 0x48 + 4, 92);
  uint8_t* v = r + 0x60;
  StoreU16(v, 92), StoreU16(v + 2, 52);
  const char* key = "VS_VERSION_INFO";
  for (size_t i = 0; key[i]; ++i) v[6 + 2 * i] = static_cast<uint8_t>(key[i]);
  StoreU32(v + 40, 0xFEEF04BD), StoreU32(v + 44, 0x10000), StoreU32(v + 48, ms), StoreU32(v + 52, ls);
  return exe;
}

TEST_F(ProjectDir, VersionedFilesTakeTheVersionOfTheirResource) {
  Bytes image = MakeVersionedImage(0x00020003, 0x00040005);
  EXPECT_EQ(FixedFileVersion(image), "2.3.4.5");
  EXPECT_EQ(FixedFileVersion(Bytes(image.begin(), image.begin() + 0x480)), "");  // cut inside the resources
  EXPECT_EQ(FixedFileVersion(MakeEngine()), "");                                 // no resource directory
  Bytes text(200, 'x');
  EXPECT_EQ(FixedFileVersion(text), "");

  Write("tool.dll", std::string(image.begin(), image.end()));
  const char* kProject = "[product]\nname = \"A\"\n[[files]]\nsource = \"tool.dll\"\nkind = \"versioned\"\n";
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(kProject, p, e)) << e.Text();
  EXPECT_EQ(p.files.at(0).record.Title, "2.3.4.5");
  ASSERT_TRUE(Parse(std::string(kProject) + "version = \"9.0\"\n", p, e)) << e.Text();
  EXPECT_EQ(p.files.at(0).record.Title, "9.0");  // what the author writes wins
  ASSERT_TRUE(Parse("[product]\nname = \"A\"\n[[files]]\nsource = \"single.dat\"\nkind = \"versioned\"\n", p, e));
  EXPECT_EQ(p.files.at(0).record.Title, "");  // no resource: the engine compares dates only
}

TEST_F(ProjectDir, InspectShowsTheInstallKeysByName) {
  const char* text = R"(
[product]
name = "Demo"
install_dir = "HKLM\\Software\\Demo\\Path"
shared_folder_base = "app_data"
excluded_systems = ["xp", "vista", "10"]
min_status_time = 250
extra_space = 4096
must_uninstall_below = "1.5"
bitness = "32"
[options]
must_uninstall_first = true
[required_product]
key = "Base"
version = "1.0"
[batches]
post_install = "echo done"
[[delete]]
path = "old\\*.tmp"
compare = "date_on_or_before"
value = 2024-03-05T14:30:00
restart = "on_failure"
at_uninstall = true
[[close]]
window_class = "Notepad"
program_name = "Notepad"
action = "ask"
at_install = false
at_uninstall = true
[[files]]
source = "app"
dest = "%InstallDir%\\data\\"
[[files]]
source = "single.dat"
kind = "shared"
dest = "%SharedDir%\\y.dat"
permanent = true
[[files]]
source = "single.dat"
kind = "versioned"
version = "1.2.3.4"
into_uninstall_folder = true
overwrite = "unless_newer"
attributes = ["read_only", "hidden"]
)";
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(text, p, e)) << e.Text();
  Bytes installer;
  std::string error, json;
  ASSERT_TRUE(BuildInstaller(p, MakeEngine(), installer, error)) << error;
  ASSERT_TRUE(InspectInstaller(installer, json, error)) << error;
  auto j = nlohmann::json::parse(json);

  const auto& s = j["settings"];
  EXPECT_EQ(s["DefaultInstallDir"], "HKLM\\Software\\Demo\\Path");
  EXPECT_EQ(s["MinStatusTime"], 250);
  EXPECT_EQ(s["ExtraSpace"], 4096);
  EXPECT_EQ(s["MustUninstallBelow"], "1.5");
  EXPECT_EQ(s["RequiredProductKey"], "Base");
  EXPECT_EQ(s["RequiredProductVersion"], "1.0");
  EXPECT_EQ(s["PostInstallBatch"], "echo done");
  EXPECT_EQ(s["ExcludedSystems"], "0x00008500");
  ASSERT_EQ(s["DeleteList"].size(), 1u);
  EXPECT_EQ(s["DeleteList"][0]["path"], "old\\*.tmp");
  EXPECT_EQ(s["DeleteList"][0]["value"], "2024-03-05 14:30:00");
  EXPECT_EQ(s["DeleteList"][0]["compare"], "date_on_or_before");
  EXPECT_EQ(s["DeleteList"][0]["restart"], "on_failure");
  EXPECT_EQ(s["DeleteList"][0]["at_install"], true);
  EXPECT_EQ(s["DeleteList"][0]["at_uninstall"], true);
  ASSERT_EQ(s["CloseList"].size(), 1u);
  EXPECT_EQ(s["CloseList"][0]["action_name"], "ask");
  EXPECT_EQ(s["CloseList"][0]["at_install"], false);
  EXPECT_EQ(s["CloseList"][0]["at_uninstall"], true);

  const auto& named = j["project"];
  EXPECT_EQ(named["excluded_systems"], nlohmann::json::array({"xp", "vista", "10"}));
  EXPECT_EQ(named["shared_folder_base"], "app_data");
  EXPECT_EQ(named["bitness"], "32");
  EXPECT_EQ(named["install_dir_source"], "registry");
  EXPECT_EQ(named["required_product"]["key"], "Base");
  EXPECT_FALSE(named.contains("unnamed_bits")) << named.dump();
  const auto& options = named["options"];
  EXPECT_NE(std::find(options.begin(), options.end(), "must_uninstall_first"), options.end());
  EXPECT_NE(std::find(options.begin(), options.end(), "uninstaller"), options.end());

  const auto& files = j["files"];
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0]["FileName"], "bin\\tool.cmd");
  EXPECT_EQ(files[0]["Destination"], "%InstallDir%\\data\\bin\\");
  EXPECT_EQ(files[0]["kind"], "file");
  EXPECT_EQ(files[0]["overwrite"], "by_kind");
  EXPECT_EQ(files[0]["attributes"], nlohmann::json::array({"archive"}));
  EXPECT_EQ(files[2]["FileName"], "y.dat");
  EXPECT_EQ(files[2]["Destination"], "%SharedDir%\\y.dat");
  EXPECT_EQ(files[2]["kind"], "shared");
  EXPECT_EQ(files[2]["permanent"], true);
  EXPECT_EQ(files[3]["Kind"], 9);
  EXPECT_EQ(files[3]["FileFlags"], "0x00000050");
  EXPECT_EQ(files[3]["kind"], "versioned");
  EXPECT_EQ(files[3]["version"], "1.2.3.4");
  EXPECT_EQ(files[3]["overwrite"], "unless_newer");
  EXPECT_EQ(files[3]["into_uninstall_folder"], true);
  EXPECT_EQ(files[3]["attributes"], nlohmann::json::array({"read_only", "hidden"}));
}

TEST(Inspect, EngineWithoutArchiveIsNotAnInstaller) {
  std::string json, error;
  EXPECT_FALSE(InspectInstaller(MakeEngine(), json, error));
  EXPECT_NE(error.find("no .setup section"), std::string::npos);
}

class ProjectRefusals : public ProjectDir {
 protected:
  void ExpectError(const std::string& text, int line, int column, const std::string& says) {
    SCOPED_TRACE(text);
    Project p;
    ProjectError e;
    ASSERT_FALSE(Parse(text, p, e)) << "built although " << says;
    EXPECT_EQ(e.line, line) << e.Text();
    EXPECT_EQ(e.column, column) << e.Text();
    EXPECT_NE(e.message.find(says), std::string::npos) << e.Text();
  }
  Project Parsed(const std::string& text) {
    Project p;
    ProjectError e;
    EXPECT_TRUE(Parse(text, p, e)) << e.Text();
    return p;
  }
};

TEST_F(ProjectRefusals, FolderSourcesFollowLinksUnderTheirOwnNames) {
  fs::create_directories(dir_ / "other");
  Write("other/inner.txt", "inner");
  fs::create_symlink(dir_ / "single.dat", dir_ / "app" / "alias.dat");
  fs::create_directory_symlink(dir_ / "other", dir_ / "app" / "linked");
  Project p = Parsed("[product]\nname = \"A\"\n[[files]]\nsource = \"app\"\n");
  std::vector<std::string> names;
  for (const PayloadFile& f : p.files) names.push_back(f.record.FileName);
  EXPECT_EQ(names, (std::vector<std::string>{"alias.dat", "bin\\tool.cmd", "linked\\inner.txt", "readme.txt"}));
  Bytes archive;
  std::string error;
  ASSERT_TRUE(BuildArchive(p, archive, error)) << error;

  // A link back to a folder that holds it would never end.
  fs::create_directory_symlink(dir_ / "app", dir_ / "app" / "bin" / "up");
  ExpectError("[product]\nname = \"A\"\n[[files]]\nsource = \"app\"\n", 4, 10, "loop");
  fs::remove(dir_ / "app" / "bin" / "up");
  // Links that lead to each other, or nowhere.
  fs::create_symlink(dir_ / "app" / "b", dir_ / "app" / "a");
  fs::create_symlink(dir_ / "app" / "a", dir_ / "app" / "b");
  ExpectError("[product]\nname = \"A\"\n[[files]]\nsource = \"app\"\n", 4, 10, "cannot follow");
  fs::remove(dir_ / "app" / "b");
  ExpectError("[product]\nname = \"A\"\n[[files]]\nsource = \"app\"\n", 4, 10, "cannot follow");
}

TEST_F(ProjectRefusals, NamesWindowsCannotHold) {
  const std::string head = "[product]\nname = \"A\"\n";  // lines 1-2
  const struct {
    std::string text;  // from line 3
    int line, column;
    const char* says;
  } kCases[] = {
      {"[[files]]\nsource = \"single.dat\"\ndest = \"nul.txt\"\n", 5, 8, "reserved device"},
      {"[[files]]\nsource = \"single.dat\"\ndest = \"sub/COM1/x\"\n", 5, 8, "reserved device"},
      {"[[files]]\nsource = \"single.dat\"\ndest = \"%InstallDir%\\\\Aux\\\\\"\n", 5, 8, "reserved device"},
      {"[[files]]\nsource = \"single.dat\"\ndest = \"x.txt.\"\n", 5, 8, "ends with a dot"},
      {"[[files]]\nsource = \"single.dat\"\ndest = \"x /y\"\n", 5, 8, "ends with a dot or a space"},
      {"[[files]]\nsource = \"single.dat\"\ndest = \"a\\nb\"\n", 5, 8, "control character"},
      {"[[files]]\nsource = \"single.dat\"\ndest = \"a|b\"\n", 5, 8, "< > :"},
      {"[[files]]\nsource = \"single.dat\"\ndest = \"" + std::string(256, 'n') + "\"\n", 5, 8, "255"},
      {"[[files]]\nsource = \"single.dat\"\ndest = \"%InstallDir%\\\\.\\\\x\"\n", 5, 8, "\".\""},
      {"uninstaller_name = \"aux.exe\"\n", 3, 20, "reserved device"},
      {"uninstall_subdir = \"data.\"\n", 3, 20, "ends with a dot"},
      {"shared_folder = \"..\\\\Windows\"\n", 3, 17, "step in a path"},
      {"shared_folder_on_removable = \"x?\"\n", 3, 30, "< > :"},
  };
  for (const auto& c : kCases) ExpectError(head + c.text, c.line, c.column, c.says);

  // Names found in a source folder are refused with their source path.
  for (const char* bad : {"nul.txt", "trailing.", "Lpt3.log", "a\nb"}) {
    SCOPED_TRACE(bad);
    fs::create_directories(dir_ / "odd");
    Write(std::string("odd/") + bad, "x");
    Project p;
    ProjectError e;
    ASSERT_FALSE(Parse(head + "[[files]]\nsource = \"odd\"\n", p, e));
    EXPECT_EQ(e.line, 3);
    EXPECT_NE(e.message.find((dir_ / "odd" / bad).string()), std::string::npos) << e.Text();
    EXPECT_NE(e.message.find("not a valid Windows name"), std::string::npos) << e.Text();
    fs::remove_all(dir_ / "odd");
  }
}

TEST_F(ProjectRefusals, NothingLandsOutsideTheInstallation) {
  ExpectError("[product]\nname = \"..\\\\..\\\\X\"\n", 2, 8, "default installation folder");
  ExpectError("[product]\nname = \"A/../../X\"\n", 2, 8, "default installation folder");
  ExpectError("[product]\nname = \"Tools: A\"\n", 2, 8, "install_dir");
  ExpectError("[product]\nname = \"A\"\ninstall_dir = \"%ProgramsDir%\\\\..\\\\X\"\n", 3, 15, "\"..\"");
  ExpectError("[product]\nname = \"A\"\n[[delete]]\npath = \"..\\\\outside.txt\"\n", 4, 8, "outside");
  ExpectError("[product]\nname = \"A\"\n[[delete]]\npath = \"%InstallDir%/../x/*.dll\"\n", 4, 8, "outside");
  ExpectError("[product]\nname = \"A\"\n[[delete]]\npath = \"./x.txt\"\n", 4, 8, "outside");
  // The name of a product may still hold a subfolder, and a [[delete]] path a folder variable.
  Project p = Parsed("[product]\nname = \"Maker\\\\Tool\"\n[[delete]]\npath = \"%InstallDir%\\\\old\\\\*.tmp\"\n");
  EXPECT_EQ(p.settings.DefaultInstallDir, u"%ProgramsDir%\\Maker\\Tool");
}

TEST_F(ProjectRefusals, SharedFolderOnlyWhereItCanExist) {
  const std::string no_uninstaller = "[product]\nname = \"A\"\n[options]\nuninstaller = false\n";  // 4 lines
  ExpectError(no_uninstaller + "[[files]]\nsource = \"single.dat\"\nkind = \"shared\"\n", 5, 1, "uninstaller");
  ExpectError(no_uninstaller + "[[files]]\nsource = \"app\"\ndest = \"%shareddir%\\\\x\\\\\"\n", 7, 8, "uninstaller");
  // The shared folder gets its name only when files go there.
  EXPECT_TRUE(Parsed("[product]\nname = \"A\"\nshared_folder = \"Maker\"\n").settings.SharedPath.empty());
  EXPECT_EQ(Parsed("[product]\nname = \"A\"\nshared_folder = \"Maker\"\n[[files]]\nsource = \"app\"\n"
                   "dest = \"%SharedDir%\\\\\"\n").settings.SharedPath,
            u"Maker");
}

TEST_F(ProjectRefusals, TwoNamesForOneFileAsWindowsComparesThem) {
  const std::string head = "[product]\nname = \"A\"\n[[files]]\nsource = \"single.dat\"\ndest = ";  // dest on line 5
  ExpectError(head + "\"\xC3\x89.txt\"\n[[files]]\nsource = \"single.dat\"\ndest = \"\xC3\xA9.txt\"\n", 6, 1,
              "same file");
  ExpectError(head + "\"%InstallDir%\\\\\xC3\xBF\\\\\"\n[[files]]\nsource = \"single.dat\"\n"
                     "dest = \"%installdir%/\xC5\xB8/single.dat\"\n",
              6, 1, "same file");
  ExpectError(head + "\"x.txt\"\n[[files]]\nsource = \"single.dat\"\ndest = \"x.txt.\"\n", 8, 8, "ends with a dot");
  // In a source folder, names Linux keeps apart can be one name on Windows.
  Write("app/R\xC3\xA9sum\xC3\xA9.txt", "1");
  Write("app/R\xC3\x89SUM\xC3\x89.TXT", "2");
  ExpectError("[product]\nname = \"A\"\n[[files]]\nsource = \"app\"\n", 3, 1, "same file");
}

TEST_F(ProjectRefusals, NulCharactersAnywhere) {
  ExpectError("[product]\nname = \"A\"\nversion = \"1\\u0000\"\n", 3, 11, "U+0000");
  ExpectError("[product]\nname = \"A\"\n[[files]]\nsource = \"single.dat\"\ndest = \"x\\u0000.txt\"\n", 5, 8, "U+0000");
  ExpectError("[product]\nname = \"A\"\n[[languages]]\nname = \"English\"\n[languages.messages]\n\"13\" = \"a\\u0000b\"\n",
              6, 8, "U+0000");
  ExpectError("[product]\nname = \"A\"\n[batches]\nexit = [\"x\\u0000\"]\n", 4, 9, "U+0000");
}

TEST_F(ProjectRefusals, LanguagesArePickedByCodeOrNameWithTheirOwnTexts) {
  const struct {
    const char* written;
    const char16_t* shown;
    const char* defaults;  // code of the default texts; null: English
  } kCases[] = {
      {"ja", u"\u65E5\u672C\u8A9E", "ja"},
      {"pt_br", u"Portugu\u00EAs (Brasil)", "pt-BR"},
      {"German", u"Deutsch", "de"},
      {"Fran\u00E7ais", u"Fran\u00E7ais", "fr"},
      {"English", u"English", nullptr},
      {"Klingon", u"Klingon", nullptr},
  };
  for (const auto& c : kCases) {
    Project p = Parsed(std::string("[product]\nname = \"A\"\n[[languages]]\nname = \"") + c.written +
                       "\"\n[languages.messages]\n\"20\" = \"Own\"\n");
    ASSERT_EQ(p.settings.LanguageNames, std::vector<std::u16string>{c.shown}) << c.written;
    std::string_view expected =
        c.defaults ? DefaultMessage(*FindDefaultLanguage(c.defaults), 13) : DefaultMessage(13);
    EXPECT_EQ(p.settings.StringTable[13][0], Utf8ToUtf16(expected)) << c.written;
    EXPECT_EQ(p.settings.StringTable[20][0], u"Own") << c.written;  // an override still wins
  }
}

TEST_F(ProjectRefusals, EveryOptionTheEngineActsOnBuildsWithoutWarning) {
  // The wizard's options were once only stored; the pages act on all of them now.
  EXPECT_TRUE(Parsed("[product]\nname = \"A\"\ntitle = \"Big A\"\n[options]\nkeep_fallback_title = true\n"
                     "folder_page = true\nstart_menu_page = true\nprogress_page = true\ndialog_icons = true\n"
                     "button_images = true\nno_cancel = true\nrun_second_checked = true\nuninstall_shortcut = true\n"
                     "write_log = true\nadd_to_path = true\nfolder_rights = true\nshared_folder_rights = true\n"
                     "[[files]]\nsource = \"single.dat\"\nstart_menu_shortcut = true\n")
                  .warnings.empty());
}

TEST_F(ProjectDir, InspectShowsRecordTextsThatAreNotUtf8Replaced) {
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse("[product]\nname = \"A\"\n[[files]]\nsource = \"single.dat\"\n", p, e)) << e.Text();
  p.files[0].record.Title = "bad \xFF\xC3 name";  // shortcut names are UTF-8 in the record, but any bytes can come
  Bytes installer;
  std::string error, json;
  ASSERT_TRUE(BuildInstaller(p, MakeEngine(), installer, error)) << error;
  ASSERT_TRUE(InspectInstaller(installer, json, error)) << error;
  std::string title = nlohmann::json::parse(json)["files"][0]["Title"];
  EXPECT_EQ(title.rfind("bad \xEF\xBF\xBD", 0), 0u) << title;
  EXPECT_NE(title.find(" name"), std::string::npos) << title;
}

// Component kinds by name: the record fields the engine registers them with,
// and inspect's names for them.
TEST_F(ProjectDir, ComponentKindsByName) {
  Write("face.ttf", "font");
  Write("pkg.msi", "msi");
  Write("tool.cpl", "cpl");
  Write("srv.dll", "dll");
  Write("lib.tlb", "tlb");
  Write("drv.inf", "inf");
  const std::string text =
      "[product]\nname = \"C\"\n"
      "[[files]]\nsource = \"face.ttf\"\nkind = \"font\"\nfont_face = \"Face \u00e9 (TrueType)\"\n"
      "[[files]]\nsource = \"pkg.msi\"\nkind = \"msi_package\"\nmsi_ui_level = \"none\"\n"
      "uninstall_with_product = true\n"
      "[[files]]\nsource = \"tool.cpl\"\nkind = \"applet\"\napplet_name = \"Tool\"\n"
      "[[files]]\nsource = \"srv.dll\"\nkind = \"com_server\"\npermanent = true\n"
      "[[files]]\nsource = \"lib.tlb\"\nkind = \"type_library\"\nversion = \"2.0\"\n"
      "[[files]]\nsource = \"drv.inf\"\nkind = \"driver_inf\"\n"
      "[[files]]\nsource = \"single.dat\"\nkind = \"msi_package\"\n";
  Project p;
  ProjectError e;
  ASSERT_TRUE(Parse(text, p, e)) << e.Text();
  ASSERT_EQ(p.files.size(), 7u);
  const FileRecord& font = p.files[0].record;
  EXPECT_EQ(font.Kind, uint32_t(kKindFont));
  EXPECT_EQ(font.Title, "Face \xC3\xA9 (TrueType)");  // UTF-8 in the record
  const FileRecord& msi = p.files[1].record;
  EXPECT_EQ(msi.MsiUiLevel, 2u);
  EXPECT_EQ(msi.FileFlags & kFileRecordPackage, uint32_t(kFileRecordPackage));
  EXPECT_EQ(p.files[2].record.Title, "Tool");
  EXPECT_EQ(p.files[3].record.FileFlags & kFilePermanent, uint32_t(kFilePermanent));
  EXPECT_EQ(p.files[4].record.Title, "2.0");
  // A package without settings: basic dialogs, left in place by the uninstaller.
  EXPECT_EQ(p.files[6].record.MsiUiLevel, 3u);
  EXPECT_EQ(p.files[6].record.FileFlags & kFileRecordPackage, 0u);

  Bytes installer;
  std::string error, json;
  ASSERT_TRUE(BuildInstaller(p, MakeEngine(), installer, error)) << error;
  ASSERT_TRUE(InspectInstaller(installer, json, error)) << error;
  auto files = nlohmann::json::parse(json)["files"];
  ASSERT_EQ(files.size(), 7u);
  EXPECT_EQ(files[0]["kind"], "font");
  EXPECT_EQ(files[0]["font_face"], "Face \u00e9 (TrueType)");
  EXPECT_EQ(files[1]["msi_ui_level"], "none");
  EXPECT_EQ(files[1]["uninstall_with_product"], true);
  EXPECT_EQ(files[2]["applet_name"], "Tool");
  EXPECT_EQ(files[3]["kind"], "com_server");
  EXPECT_EQ(files[3]["shared_file"], "kept");
  EXPECT_EQ(files[4]["shared_file"], "removable");
  EXPECT_EQ(files[5]["kind"], "driver_inf");
  EXPECT_FALSE(files[5].contains("shared_file"));
  EXPECT_EQ(files[6]["msi_ui_level"], "basic");
}

}  // namespace
}  // namespace ks::builder
