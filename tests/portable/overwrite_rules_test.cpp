// The pure rules of the payload phase: the overwrite matrix, destinations,
// shared-list markers and fonts text, pending renames and wininit.ini.
#include "portable/overwrite_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portable/pending_renames.h"
#include "portable/text.h"

namespace ks {
namespace {

// --- overwrite decision ------------------------------------------------------

constexpr uint64_t kSecond = 10000000;
constexpr uint64_t kT = 133000000000000000ull;  // the record's time

enum class Disk { Absent, Older, Same, Newer, NoTime };

ExistingFile OnDisk(Disk disk, std::string version) {
  ExistingFile e;
  e.exists = disk != Disk::Absent;
  switch (disk) {
    case Disk::Older: e.last_write = kT - 10 * kSecond; break;
    case Disk::Same: e.last_write = kT + kSecond / 2; break;  // same second
    case Disk::Newer: e.last_write = kT + 10 * kSecond; break;
    default: break;
  }
  e.version = std::move(version);
  return e;
}

std::string DateText(uint64_t t) {
  if (t / kSecond == kT / kSecond) return "T";
  return t < kT ? "T-10" : "T+10";
}

struct OverwriteCase {
  uint32_t kind;
  uint32_t flags;  // overwrite mode and the permanent bit
  Disk disk;
  const char* title;     // the record's version text (kinds 6 to 9)
  const char* existing;  // the existing file's version
  bool write;
  bool record_existing;
  const char* log;  // after the destination; "" for no line
  bool time_set = true;
};

constexpr uint32_t kNever = kFileOverwriteNever, kIfExists = kFileOverwriteIfExists,
                   kIfMissing = kFileOverwriteIfMissing, kUnlessNewer = kFileOverwriteUnlessNewer,
                   kPerm = kFilePermanent;

const OverwriteCase kOverwriteCases[] = {
    // Mode 4: never, silently.
    {kKindFile, kNever, Disk::Absent, "", "", false, false, ""},
    {kKindVersioned, kNever, Disk::Older, "2.0", "1.0", false, false, ""},
    // Mode 8: only over an existing file.
    {kKindFile, kIfExists, Disk::Absent, "", "", false, false, " was not installed because it does not already exist.\r\n"},
    {kKindVersioned, kIfExists, Disk::Absent, "2.0", "", false, false, " was not installed because it does not already exist.\r\n"},
    {kKindFile, kIfExists, Disk::Newer, "", "", true, false, ""},
    {kKindShared, kIfExists, Disk::Same, "", "", false, false, " is up to date.\r\n"},
    // Mode 12: only when missing; an existing file the product owns stays recorded.
    {kKindFile, kIfMissing, Disk::Absent, "", "", true, false, ""},
    {kKindFile, kIfMissing, Disk::Older, "", "", false, true, " was not installed because it already exists.\r\n"},
    {kKindStartup, kIfMissing, Disk::Older, "", "", false, true, " was not installed because it already exists.\r\n"},
    {kKindApplet, kIfMissing, Disk::Older, "", "", false, true, " was not installed because it already exists.\r\n"},
    {kKindFile, kIfMissing | kPerm, Disk::Older, "", "", false, false, " was not installed because it already exists.\r\n"},
    {kKindShared, kIfMissing, Disk::Older, "", "", false, false, " was not installed because it already exists.\r\n"},
    {kKindSystem, kIfMissing, Disk::Older, "2.0", "1.0", false, false, " was not installed because it already exists.\r\n"},
    // Mode 16: not over a newer file.
    {kKindFile, kUnlessNewer, Disk::Newer, "", "", false, true, " was not installed because the existing file is newer.\r\n"},
    {kKindFile, kUnlessNewer | kPerm, Disk::Newer, "", "", false, false, " was not installed because the existing file is newer.\r\n"},
    {kKindFile, kUnlessNewer, Disk::Older, "", "", true, false, ""},
    {kKindFile, kUnlessNewer, Disk::Same, "", "", true, false, ""},
    {kKindFile, kUnlessNewer, Disk::NoTime, "", "", true, false, ""},
    {kKindFile, kUnlessNewer, Disk::Newer, "", "", true, false, "", /*time_set=*/false},
    {kKindShared, kUnlessNewer, Disk::Older, "", "", true, false, " is out of date and will be replaced.\r\n"},
    // Mode 0, kinds without a check.
    {kKindFile, 0, Disk::Newer, "", "", true, false, ""},
    {kKindDriverInf, 0, Disk::Newer, "", "", true, false, ""},
    {kKindMsiPackage, 0, Disk::Absent, "", "", true, false, ""},
    // Kinds 1 and 4: by date only.
    {kKindShared, 0, Disk::Absent, "", "", true, false, ""},
    {kKindShared, 0, Disk::Older, "", "", true, false, " is out of date and will be replaced.\r\n"},
    {kKindShared, 0, Disk::Same, "", "", false, false, " is up to date.\r\n"},
    {kKindShared, 0, Disk::Newer, "", "", false, false, " is up to date.\r\n"},
    {kKindShared, 0, Disk::NoTime, "", "", true, false, " is out of date and will be replaced.\r\n"},
    {kKindShared, 0, Disk::Same, "", "", true, false, " is out of date and will be replaced.\r\n", /*time_set=*/false},
    {kKindFont, 0, Disk::Same, "", "", false, false, " is up to date.\r\n"},
    {kKindFont, 0, Disk::Older, "", "", true, false, " is out of date and will be replaced.\r\n"},
    // Kinds 6 to 9: version, then date.
    {kKindSystem, 0, Disk::Absent, "2.0", "", true, false, ""},
    {kKindVersioned, 0, Disk::Older, "1.2.0.0", "1.1.0.0", true, false,
     " needs replacement because its version (1.2.0.0) is newer than 1.1.0.0 and its date (T) is newer than T-10\r\n"},
    {kKindVersioned, 0, Disk::Newer, "1.2.0.0", "1.1.0.0", false, true,
     " was not installed because its date (T) is not newer than T+10.\r\n"},
    {kKindVersioned, 0, Disk::Same, "1.2.0.0", "1.1.0.0", false, true,
     " was not installed because its date (T) is not newer than T.\r\n"},
    {kKindVersioned, 0, Disk::Older, "1.0.0.0", "1.1.0.0", false, true,
     " was not installed because its version (1.0.0.0) is not newer than 1.1.0.0\r\n"},
    {kKindVersioned, 0, Disk::Older, "1.1", "1.1.0.0", false, true,
     " was not installed because its version (1.1) is not newer than 1.1.0.0\r\n"},
    {kKindVersioned, kPerm, Disk::Older, "1.0.0.0", "1.1.0.0", false, false,
     " was not installed because its version (1.0.0.0) is not newer than 1.1.0.0\r\n"},
    {kKindComServer, 0, Disk::Older, "1.0", "1.1", false, false,
     " was not installed because its version (1.0) is not newer than 1.1\r\n"},
    {kKindTypeLibrary, 0, Disk::NoTime, "1.10", "1.9", true, false,
     " needs replacement because its version (1.10) is newer than 1.9\r\n"},
    {kKindSystem, 0, Disk::Older, "2.0", "", true, false, " needs replacement because its date (T) is newer than T-10\r\n"},
    {kKindSystem, 0, Disk::Newer, " \t", "9.0", false, false, " was not installed because its date (T) is not newer than T+10.\r\n"},
    {kKindSystem, 0, Disk::NoTime, "", "", true, false, " is out of date and will be replaced.\r\n"},
    // Mode 16 falls through to the kind's own rule.
    {kKindVersioned, kUnlessNewer, Disk::Older, "1.0", "2.0", false, true,
     " was not installed because its version (1.0) is not newer than 2.0\r\n"},
};

TEST(OverwriteRules, Matrix) {
  const std::string destination = "C:\\App\\f.dll";
  for (const OverwriteCase& c : kOverwriteCases) {
    FileRecord record;
    record.FileName = "f.dll";
    record.Kind = c.kind;
    record.FileFlags = c.flags;
    record.Title = c.title;
    if (c.time_set) record.FileTime = {kT, kT, kT};
    ExistingFile existing = OnDisk(c.disk, c.existing);
    SCOPED_TRACE("kind " + std::to_string(c.kind) + " flags " + std::to_string(c.flags) + " disk " +
                 std::to_string(int(c.disk)) + " '" + c.title + "' vs '" + c.existing + "'");
    OverwriteDecision d = DecideOverwrite(record, existing, destination, DateText);
    EXPECT_EQ(d.write, c.write);
    EXPECT_EQ(d.record_existing, c.record_existing);
    EXPECT_EQ(d.log, *c.log ? destination + c.log : std::string());
  }
}

TEST(OverwriteRules, LooksAtTheDiskOnlyWhenTheRuleNeedsIt) {
  FileRecord r;
  EXPECT_FALSE(NeedsExistingFile(r));  // kind 0, mode 0: always written
  r.FileFlags = kFileOverwriteIfMissing;
  EXPECT_TRUE(NeedsExistingFile(r));
  r.FileFlags = kFileOverwriteNever;
  r.Kind = kKindShared;
  EXPECT_FALSE(NeedsExistingFile(r));
  r.FileFlags = 0;
  EXPECT_TRUE(NeedsExistingFile(r));
  EXPECT_FALSE(NeedsExistingVersion(r));
  r.Kind = kKindVersioned;
  r.Title = " \r\n";
  EXPECT_FALSE(NeedsExistingVersion(r));
  r.Title = "1.0";
  EXPECT_TRUE(NeedsExistingVersion(r));
}

// --- destinations ------------------------------------------------------------

const DestinationFolders kFolders{u"C:\\Prog\\App", u"C:\\Common\\Shared", u"C:\\Prog\\App\\Uninstall",
                                  u"C:\\Windows\\Fonts", u"C:\\Windows\\System32"};

std::u16string ExpandFake(std::u16string text) {
  const std::pair<std::u16string, std::u16string> vars[] = {{u"%InstallDir%", kFolders.install},
                                                            {u"%SharedDir%", kFolders.shared}};
  for (const auto& [name, value] : vars)
    for (size_t at; (at = text.find(name)) != std::u16string::npos;) text.replace(at, name.size(), value);
  return text;
}

struct DestinationCase {
  uint32_t kind;
  uint32_t flags;
  const char16_t* file_name;
  const char16_t* destination;
  bool ignore_shared;
  const char16_t* path;  // expected; null for error 110
  bool create_folder;
};

const DestinationCase kDestinationCases[] = {
    // Default folders by kind.
    {kKindFile, 0, u"sub\\a.txt", u"", false, u"C:\\Prog\\App\\sub\\a.txt", true},
    {kKindStartup, 0, u"run.exe", u"", false, u"C:\\Prog\\App\\run.exe", true},
    {kKindVersioned, 0, u"v.dll", u"", false, u"C:\\Prog\\App\\v.dll", true},
    {kKindDriverInf, 0, u"d.inf", u"", false, u"C:\\Prog\\App\\d.inf", true},
    {kKindMsiPackage, 0, u"p.msi", u"", false, u"C:\\Prog\\App\\p.msi", true},
    {kKindApplet, 0, u"c.cpl", u"", false, u"C:\\Prog\\App\\c.cpl", true},
    {kKindShared, 0, u"s.dll", u"", false, u"C:\\Common\\Shared\\s.dll", false},
    {kKindFont, 0, u"f.ttf", u"", false, u"C:\\Windows\\Fonts\\f.ttf", false},
    {kKindSystem, 0, u"x.dll", u"", false, u"C:\\Windows\\System32\\x.dll", false},
    {kKindComServer, 0, u"x.ocx", u"", false, u"C:\\Windows\\System32\\x.ocx", false},
    {kKindTypeLibrary, 0, u"x.tlb", u"", false, u"C:\\Windows\\System32\\x.tlb", false},
    // Kinds without a folder are corrupt only when a default folder is needed.
    {2, 0, u"a", u"", false, nullptr, false},
    {3, 0, u"a", u"", false, nullptr, false},
    {13, 0, u"a", u"", false, nullptr, false},
    {2, 0, u"a", u"b", false, nullptr, false},
    {2, 0, u"a", u"D:\\x\\", false, u"D:\\x\\a", true},
    {3, kFileInUninstallDir, u"a", u"", false, u"C:\\Prog\\App\\Uninstall\\a", false},
    // Into the uninstall data folder, without folder creation.
    {kKindFile, kFileInUninstallDir, u"u.ico", u"", false, u"C:\\Prog\\App\\Uninstall\\u.ico", false},
    {kKindFile, kFileInUninstallDir, u"u.ico", u"D:\\Icons\\", false, u"D:\\Icons\\u.ico", true},
    // A bare name renames the file inside the kind's folder.
    {kKindFile, 0, u"a.txt", u"b.txt", false, u"C:\\Prog\\App\\b.txt", true},
    {kKindShared, 0, u"s.dll", u"t.dll", false, u"C:\\Common\\Shared\\t.dll", false},
    {kKindFile, kFileInUninstallDir, u"u.ico", u"v.ico", false, u"C:\\Prog\\App\\Uninstall\\v.ico", false},
    // A folder (trailing backslash) keeps the file's own last name component.
    {kKindFile, 0, u"sub\\tool.exe", u"%InstallDir%\\bin\\", false, u"C:\\Prog\\App\\bin\\tool.exe", true},
    {kKindFile, 0, u"sub\\tool.exe", u"%InstallDir%\\bin\\\\", false, u"C:\\Prog\\App\\bin\\tool.exe", true},
    {kKindShared, 0, u"s.dll", u"lib\\", false, u"C:\\Common\\Shared\\lib\\s.dll", true},
    // A path with a backslash but none at the end is the full target.
    {kKindFile, 0, u"a.txt", u"bin\\tool2.exe", false, u"C:\\Prog\\App\\bin\\tool2.exe", true},
    {kKindFile, 0, u"a.txt", u"D:\\Other\\x.dat", false, u"D:\\Other\\x.dat", true},
    // Rooted without a drive: below the install folder, not at the drive's root.
    {kKindFont, 0, u"f.ttf", u"\\Fonts2\\", false, u"C:\\Prog\\App\\Fonts2\\f.ttf", true},
    {kKindFile, 0, u"a.txt", u"doc\\..\\b.txt", false, u"C:\\Prog\\App\\b.txt", true},
    // Shared files on a removable install drive stay in the shared folder.
    {kKindShared, 0, u"s.dll", u"D:\\Other\\", true, u"C:\\Common\\Shared\\s.dll", false},
    {kKindFile, 0, u"a.txt", u"D:\\Other\\", true, u"D:\\Other\\a.txt", true},
};

FileRecord Record8(std::string name, std::string destination) {
  FileRecord r;
  r.FileName = std::move(name);
  r.Destination = std::move(destination);
  return r;
}

TEST(OverwriteRules, Destinations) {
  for (const DestinationCase& c : kDestinationCases) {
    DestinationRequest request{c.kind, c.flags, c.file_name, c.destination, c.ignore_shared};
    SCOPED_TRACE(Utf16ToUtf8(c.file_name) + " -> '" + Utf16ToUtf8(c.destination) + "' kind " + std::to_string(c.kind));
    ResolvedDestination d = ResolveDestination(request, kFolders, ExpandFake);
    if (!c.path) {
      EXPECT_EQ(d.error, kErrKindWithoutFolder);
      continue;
    }
    EXPECT_EQ(d.error, 0);
    EXPECT_EQ(Utf16ToUtf8(d.path), Utf16ToUtf8(c.path));
    EXPECT_EQ(d.create_folder, c.create_folder);
  }
  // The renamed name is the one the fonts text and the verbose log show.
  FileRecord renamed = Record8("a.ttf", "b.ttf"), moved = Record8("a.ttf", "fonts\\");
  EXPECT_EQ(EffectiveFileName(renamed), "b.ttf");
  EXPECT_EQ(EffectiveFileName(moved), "a.ttf");
}

TEST(OverwriteRules, DestinationsWithoutASharedFolderOrADrive) {
  // Without the uninstaller there is no shared folder: %SharedDir% expands to
  // nothing, and what is left must not reach a drive root or the current folder.
  const DestinationFolders folders{u"C:\\Prog\\App", u"", u"C:\\Prog\\App\\Uninstall", u"C:\\Windows\\Fonts",
                                   u"C:\\Windows\\System32"};
  auto expand = [](std::u16string text) {
    for (size_t at; (at = text.find(u"%SharedDir%")) != std::u16string::npos;) text.erase(at, 11);
    return text;
  };
  struct Case { uint32_t kind; const char16_t* file_name; const char16_t* destination; const char16_t* path; };
  const Case kCases[] = {
      {kKindShared, u"changes.txt", u"", u"C:\\Prog\\App\\changes.txt"},
      {kKindShared, u"changes.txt", u"%SharedDir%\\", u"C:\\Prog\\App\\changes.txt"},
      {kKindShared, u"changes.txt", u"%SharedDir%\\docs\\", u"C:\\Prog\\App\\docs\\changes.txt"},
      {kKindFile, u"a.txt", u"%SharedDir%\\b.txt", u"C:\\Prog\\App\\b.txt"},
      // Refused: climbing out of the folder, or a drive without a folder.
      {kKindShared, u"changes.txt", u"%SharedDir%\\..\\x\\", nullptr},
      {kKindFile, u"a.txt", u"sub\\..\\..\\..\\b.txt", nullptr},
      {kKindFile, u"a.txt", u"D:b\\c.txt", nullptr},
      {kKindFile, u"a.txt", u"\\...\\c.txt", nullptr},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(Utf16ToUtf8(c.destination));
    ResolvedDestination d = ResolveDestination({c.kind, 0, c.file_name, c.destination, false}, folders, expand);
    EXPECT_EQ(d.error, 0);
    EXPECT_EQ(d.refused, c.path == nullptr);
    if (c.path) {
      EXPECT_EQ(Utf16ToUtf8(d.path), Utf16ToUtf8(c.path));
    }
  }
  ResolvedDestination refused =
      ResolveDestination({kKindShared, 0, u"c.txt", u"%SharedDir%\\..\\c.txt", false}, folders, expand);
  EXPECT_EQ(RefusedDestinationLog(refused, u"c.txt"),
            "c.txt was not installed because its destination \"\\..\\c.txt\" is not a full path and does not lead "
            "into \"C:\\Prog\\App\".\r\n");
  EXPECT_EQ(Utf16ToUtf8(RefusedDestinationFailure(refused, u"<31>")),
            "<31> \\..\\c.txt\r\nThe destination is not a full path and does not lead into \"C:\\Prog\\App\".\r\n\r\n");
}

TEST(OverwriteRules, SharedListMarkersAndFontsText) {
  struct Case { uint32_t kind, flags; const char16_t* entry; };
  const Case cases[] = {
      {kKindShared, 0, u"P"},           {kKindShared, kFilePermanent, u"P "},
      {kKindSystem, 0, u"P "},          {kKindSystem, kFilePermanent, u"P "},
      {kKindComServer, 0, u"P^"},       {kKindComServer, kFilePermanent, u"P "},
      {kKindTypeLibrary, 0, u"P\u00A9"}, {kKindTypeLibrary, kFilePermanent, u"P "},
      {kKindFile, 0, u""},              {kKindVersioned, 0, u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Utf16ToUtf8(SharedListEntry(u"P", c.kind, c.flags)), Utf16ToUtf8(c.entry)) << c.kind << " " << c.flags;

  std::string fonts;
  AppendFontPair(fonts, "Keld Sans", "keld.ttf");
  AppendFontPair(fonts, "Keld Mono", "fonts\\mono.ttf");
  EXPECT_EQ(fonts, "\"Keld Sans\" \"keld.ttf\" \"Keld Mono\" \"fonts\\mono.ttf\" ");
}

// --- pending renames ---------------------------------------------------------

TEST(PendingRenames, KeepsOnlyPairsThatCannotUndoAFreshFile) {
  const WrittenSet written = {u"c:\\app\\a.dll", u"c:\\app\\\u00e4nderung.txt", u"c:\\app\\gone.txt"};
  struct Case {
    RenamePair pair;
    bool kept;
    const char16_t* deleted_source;  // waiting copy removed with the pair
    const char* log;
  };
  const Case cases[] = {
      // A move onto a fresh file: its waiting copy goes too.
      {{u"\\??\\C:\\App\\OQT1.tmp", u"!\\??\\C:\\App\\A.DLL"}, false, u"C:\\App\\OQT1.tmp",
       "File \"c:\\app\\a.dll\" was removed from the list of pending moves.\r\n"},
      {{u"\\??\\C:\\App\\OQT2.tmp", u"\\??\\C:\\APP\\\u00c4NDERUNG.TXT"}, false, u"C:\\App\\OQT2.tmp",
       "File \"c:\\app\\\xc3\xa4nderung.txt\" was removed from the list of pending moves.\r\n"},
      {{u"\\??\\C:\\App\\OQT3.tmp", u"\\??\\C:\\Other\\a.dll"}, true, nullptr, ""},
      // A deletion of a fresh file.
      {{u"\\??\\C:\\App\\Gone.txt", u""}, false, nullptr,
       "File \"c:\\app\\gone.txt\" was removed from the list of pending deletions.\r\n"},
      {{u"\\??\\C:\\Other\\c.dll", u""}, true, nullptr, ""},
      // A deletion without a source is dropped silently.
      {{u"", u""}, false, nullptr, ""},
      {{u"\\??\\", u""}, false, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.pair.source) + " -> " + Utf16ToUtf8(c.pair.destination));
    std::string log;
    PendingCleanup out = KeepPendingRenames({c.pair}, written, [&](std::string_view s) { log += s; });
    EXPECT_EQ(out.kept.size(), c.kept ? 1u : 0u);
    EXPECT_EQ(out.changed, !c.kept);
    ASSERT_EQ(out.delete_sources.size(), c.deleted_source ? 1u : 0u);
    if (c.deleted_source) {
      EXPECT_EQ(Utf16ToUtf8(out.delete_sources[0]), Utf16ToUtf8(c.deleted_source));
    }
    EXPECT_EQ(log, c.log);
  }
}

TEST(PendingRenames, MultiStringKeepsEmptyDestinationsInPlace) {
  // Move a->b, delete c, move d->e: the deletion's empty string sits inside the list.
  const std::u16string data(u"a\0b\0c\0\0d\0e\0\0", 12);
  std::vector<std::u16string> strings = SplitMultiString(data);
  ASSERT_EQ(strings, (std::vector<std::u16string>{u"a", u"b", u"c", u"", u"d", u"e"}));
  EXPECT_EQ(JoinMultiString(strings), data);
  EXPECT_EQ(PairStrings(strings), (std::vector<RenamePair>{{u"a", u"b"}, {u"c", u""}, {u"d", u"e"}}));
  // An odd count: the last source becomes a pending deletion.
  EXPECT_EQ(PairStrings({u"a", u"b", u"c"}), (std::vector<RenamePair>{{u"a", u"b"}, {u"c", u""}}));
  // A trailing deletion, with or without the list terminator, is one pair.
  EXPECT_EQ(PairStrings(SplitMultiString(std::u16string(u"c\0\0", 3))), (std::vector<RenamePair>{{u"c", u""}}));
  EXPECT_EQ(PairStrings(SplitMultiString(std::u16string(u"c\0\0\0", 4))), (std::vector<RenamePair>{{u"c", u""}}));
  EXPECT_TRUE(SplitMultiString(std::u16string(u"\0", 1)).empty());
  EXPECT_TRUE(SplitMultiString(std::u16string()).empty());
}

TEST(PendingRenames, CaseFoldingAndPrefixes) {
  EXPECT_EQ(FoldPathCase(u"C:\\PROG\\\u00c9T\u00c9\\\u0416\u0401\u0178\u0141\u0100\u00d7"),
            u"c:\\prog\\\u00e9t\u00e9\\\u0436\u0451\u00ff\u0142\u0101\u00d7");
  EXPECT_EQ(StripObjectPrefix(u"!\\??\\C:\\x"), u"C:\\x");
  EXPECT_EQ(StripObjectPrefix(u"\\??\\C:\\x"), u"C:\\x");
  EXPECT_EQ(StripObjectPrefix(u"C:\\x"), u"C:\\x");
}

TEST(WininitRename, NewestLineComesFirstInTheSection) {
  struct Case { const char* before; const char* after; };
  const Case cases[] = {
      {"", "[rename]\r\nD=S"},
      {"[boot]\r\nx=1", "[boot]\r\nx=1\r\n[rename]\r\nD=S"},
      {"[boot]\r\n", "[boot]\r\n[rename]\r\nD=S"},
      {"[boot]\n", "[boot]\n[rename]\r\nD=S"},
      {"[Rename]\r\nOLD=OS\r\n", "[Rename]\r\nD=S\r\nOLD=OS\r\n"},
      {"[x]\r\n[RENAME]", "[x]\r\n[RENAME]\r\nD=S"},
  };
  for (const Case& c : cases) EXPECT_EQ(InsertWininitRename(c.before, "D", "S"), c.after) << c.before;
  std::string twice = InsertWininitRename(InsertWininitRename("", "C:\\A.DLL", "C:\\OQT1.TMP"), "C:\\B.DLL", "C:\\OQT2.TMP");
  EXPECT_EQ(twice, "[rename]\r\nC:\\B.DLL=C:\\OQT2.TMP\r\nC:\\A.DLL=C:\\OQT1.TMP");
}

}  // namespace
}  // namespace ks
