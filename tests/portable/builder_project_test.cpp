// The builder's project compiler and a build + inspect round trip against a
// small synthetic engine image.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "build.h"
#include "default_messages.h"
#include "inspect.h"
#include "portable/archive.h"
#include "portable/payload.h"
#include "portable/pe_image.h"
#include "portable/settings_codec.h"
#include "portable/sum32.h"
#include "project.h"

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
      {"[product]\nname = \"A\"\n[[files]]\nsource = \"app\"\ndest = \"../up\"\n", 5, 8, "subfolder"},
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
  EXPECT_EQ(s.StringTable[98][1], s.StringTable[98][0]);  // not overridden: the default
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

TEST(Inspect, EngineWithoutArchiveIsNotAnInstaller) {
  std::string json, error;
  EXPECT_FALSE(InspectInstaller(MakeEngine(), json, error));
  EXPECT_NE(error.find("no .setup section"), std::string::npos);
}

}  // namespace
}  // namespace ks::builder
