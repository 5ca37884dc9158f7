// Uninstall.DAT: recording items, the exact bytes of the writer, the reader's
// trimming and section rules; the test of a conditional deletion.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "portable/conditional_deletion.h"
#include "portable/text.h"
#include "portable/uninstall_data.h"

namespace ks {
namespace {

// Expected texts are written with "\n"; the file has "\r\n" everywhere.
std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// What the payload phase does per file: record the created folder (when it is
// not the install folder), then the file.
void RecordInstalledFile(UninstallData& data, std::u16string_view path) {
  std::u16string_view folder = path.substr(0, path.find_last_of(u'\\'));
  if (!EqualsNoCase(folder, u"C:\\Acme")) data.RecordItem(folder, kRecordFolder);
  data.RecordItem(path, kRecordFile);
}

std::u16string NumberedMessage(int n) {
  if (n == 10) return u"The uninstallation failed:\r\n\r\n%s";
  if (n == 15) return u"Entfernen von \u201EAcme\u201C abgeschlossen.";
  if (n == 58) return u"Could not delete\nthe file";  // a bare LF becomes CR LF
  return u"Message " + Widen(std::to_string(n));
}

UninstallData RealisticRecordSet() {
  UninstallData data;
  for (const char16_t* path : {
           u"C:\\Acme\\acme.exe",
           u"C:\\Acme\\Data\\a.txt",
           u"C:\\Acme\\data\\B.txt",            // same folder, other case
           u"C:\\Acme\\Data\\Deep\\c.bin",
           u"C:\\Acme\\DATA\\DEEP\\d.bin",
           u"C:\\Acme\\Gr\u00FC\u00DFe\\readme.txt",   // in code page 1252
           u"C:\\Acme\\GR\u00DC\u00DFE\\extra.txt",    // same folder, upper case beyond ASCII
           u"C:\\Acme\\\u65E5\u672C\\notes.txt",       // not in code page 1252
       })
    RecordInstalledFile(data, path);
  data.RecordItem(std::string_view("C:\\ACME\\DATA\\"), kRecordFolder);  // 8-bit, trailing backslash: recorded already
  data.RecordItem(u"C:\\", kRecordFolder);     // drive roots are never recorded
  data.RecordItem(u"D:", kRecordFile);
  data.RecordItem(std::string_view("\\HKLM\\Software\\Acme\\InstallDir"), kRecordRegistryValue);

  data.SetMessages(NumberedMessage, u"Acme Setup");
  data.auto_close = {{"AcmeWnd", "", "Acme Monitor", 2, 4}, {"*Tray", "Acme", "Acme Tray", 3, 2}};
  data.associations = {{".acm", "Acme.Document", "open", "C:\\Acme\\acme.exe,1"}, {".acx", "Acme.X", "edit", ""}};
  data.firewall = {"8080;Acme Server;3;", "%InstallDir%\\acme.exe;Acme;0;"};
  data.inf = {"C:\\Acme\\Drivers\\acme.inf"};
  data.msi = {"C:\\Acme\\vcredist.msi,2"};
  data.registry = {"\\HKLM\\Software\\Acme"};
  data.registry2 = {"\\HKCU\\Software\\Acme\\Recent", "\\HKLM\\Software\\Shared,Acme,1,,,1"};
  data.deletions = {{"old\\*.tmp", 0, "", kConditionalDuringInstall},  // installation only: not written
                    {"%InstallDir%\\acme.log", 5, "1000", kConditionalDuringUninstall | kConditionalRestartOnFailure}};
  return data;
}

TEST(UninstallDataWriter, RealisticRecordSetByteForByte) {
  std::string strings;
  for (int n : kUninstallMessageNumbers) {
    if (n == 10) strings += "~10\nThe uninstallation failed:\n\n%s\n";
    else if (n == 15) strings += "~15\nEntfernen von \xE2\x80\x9E" "Acme\xE2\x80\x9C abgeschlossen.\n";
    else if (n == 58) strings += "~58\nCould not delete\nthe file\n";
    else strings += std::string("~") + std::to_string(n) + "\nMessage " + std::to_string(n) + "\n";
  }
  const std::string expected = Crlf(
      "C:\\Acme\\acme.exe\n"
      "~C:\\Acme\\Data\n"
      "C:\\Acme\\Data\\a.txt\n"
      "C:\\Acme\\data\\B.txt\n"
      "~C:\\Acme\\Data\\Deep\n"
      "C:\\Acme\\Data\\Deep\\c.bin\n"
      "C:\\Acme\\DATA\\DEEP\\d.bin\n"
      "~C:\\Acme\\Gr\xFC\xDF" "e\n"
      "C:\\Acme\\Gr\xFC\xDF" "e\\readme.txt\n"
      "C:\\Acme\\GR\xDC\xDF" "E\\extra.txt\n"
      "~|C:\\Acme\\\xE6\x97\xA5\xE6\x9C\xAC\n"
      "|C:\\Acme\\\xE6\x97\xA5\xE6\x9C\xAC\\notes.txt\n"
      "!\\HKLM\\Software\\Acme\\InstallDir\n"
      "\n\n[Strings]\n" +
      strings +
      "~999\nAcme Setup\n"
      "\n\n[AutoClose]\n"
      "AcmeWnd,,Acme Monitor,2\n"
      "*Tray,Acme,Acme Tray,3\n"
      "\n\n[Associations]\n"
      ".acm~!~Acme.Document~!~open~!~C:\\Acme\\acme.exe,1\n"
      ".acx~!~Acme.X~!~edit~!~\n"
      "\n\n[Firewall]\n"
      "8080;Acme Server;3;\n"
      "%InstallDir%\\acme.exe;Acme;0;\n"
      "\n\n[INF]\n"
      "C:\\Acme\\Drivers\\acme.inf\n"
      "\n\n[MSI]\n"
      "C:\\Acme\\vcredist.msi,2\n"
      "\n\n[Registry]\n"
      "\\HKLM\\Software\\Acme\n"
      "\n\n[Registry2]\n"
      "\\HKCU\\Software\\Acme\\Recent\n"
      "\\HKLM\\Software\\Shared,Acme,1,,,1\n"
      "\n\n[ConditionalDelete]\n"
      "%InstallDir%\\acme.log,5,1000,10\n");
  EXPECT_EQ(ComposeUninstallData(RealisticRecordSet()), expected);
}

TEST(UninstallDataWriter, EmptySectionsAreLeftOut) {
  UninstallData data;
  data.SetMessages([](int) { return std::u16string(); }, u"T");
  data.deletions = {{"C:\\x.tmp", 0, "", kConditionalDuringInstall | kConditionalAtRestart}};

  std::string strings;
  for (int n : kUninstallMessageNumbers) {
    strings += "~";
    strings += std::to_string(n);
    strings += "\n\n";
  }
  // Without items the file opens with the break before [Strings].
  EXPECT_EQ(ComposeUninstallData(data), Crlf("\n\n[Strings]\n" + strings + "~999\nT\n"));

  data.RecordItem(u"C:\\Acme\\x.dll", kRecordFile);
  std::string text = ComposeUninstallData(data);
  EXPECT_EQ(text.rfind("C:\\Acme\\x.dll\r\n\r\n\r\n[Strings]\r\n~10\r\n\r\n~15\r\n", 0), 0u);
  for (const char* name : {"[AutoClose]", "[Associations]", "[Firewall]", "[INF]", "[MSI]", "[Registry]",
                           "[Registry2]", "[ConditionalDelete]"})
    EXPECT_EQ(text.find(name), std::string::npos) << name;
}

TEST(UninstallDataWriter, ClearItemsForgetsRecordedFolders) {
  UninstallData data;
  data.RecordItem(u"C:\\Acme\\Data", kRecordFolder);
  data.ClearItems();
  data.RecordItem(u"C:\\acme\\data", kRecordFolder);
  EXPECT_EQ(data.items, std::vector<Text8>{"~C:\\acme\\data"});
}

TEST(UninstallDataReader, RoundTripKeepsEveryRecord) {
  UninstallData written = RealisticRecordSet();
  UninstallData read;
  ParseUninstallData(ComposeUninstallData(written), read);

  EXPECT_EQ(read.items, written.items);
  EXPECT_EQ(read.auto_close, written.auto_close);
  EXPECT_EQ(read.associations, written.associations);
  EXPECT_EQ(read.firewall, written.firewall);
  EXPECT_EQ(read.inf, written.inf);
  EXPECT_EQ(read.msi, written.msi);
  EXPECT_EQ(read.registry, written.registry);
  EXPECT_EQ(read.registry2, written.registry2);
  // Only the uninstallation's record travels.
  ASSERT_EQ(read.deletions.size(), 1u);
  EXPECT_EQ(read.deletions[0], written.deletions[1]);
  EXPECT_EQ(read.title, u"Acme Setup");
  EXPECT_EQ(read.messages.size(), kUninstallMessageNumbers.size());
  EXPECT_EQ(read.messages[10], u"The uninstallation failed:\r\n\r\n%s");
  EXPECT_EQ(read.messages[15], NumberedMessage(15));
  EXPECT_EQ(read.messages[58], u"Could not delete\r\nthe file");
  EXPECT_EQ(read.messages[111], u"Message 111");
  EXPECT_EQ(read.messages.count(999), 0u);  // 999 is the title, not a message

  // The uninstaller's rewrite of what it loaded gives the same file again.
  EXPECT_EQ(ComposeUninstallData(read), ComposeUninstallData(written));
}

TEST(UninstallDataReader, TrimmingAndSectionRules) {
  const std::string text =
      "  C:\\Acme\\a.txt  \r\n"      // trimmed
      "\r\n"                          // blank lines are no items
      "\t~C:\\Acme\\Sub\n"            // LF only
      "C:\\Acme\\b.txt\r"             // CR only
      "[Unknown]\r\n"                 // not a section name: an item like any other line
      "[Strings]\r\n"
      "orphan text before any number\r\n"
      "~10\r\n"
      "   First line   \r\n"
      "\r\n"
      "Second line\r\n"
      "~ cut here: a line that starts with a tilde ends the text\r\n"
      "not part of anything\r\n"
      "~0\r\nnumber 0 is out of range\r\n"
      "~1001\r\nso is 1001\r\n"
      "~12abc\r\nnot a number\r\n"
      "~20\r\nText up to a section\r\n"
      "[Registry] is a section name at the start of a line\r\n"
      "ignored as well\r\n"
      "~999\r\n  Title  \r\n\r\n\r\n"
      "~1000\r\n\xFC" "ber\r\n"        // not UTF-8: read in the system code page
      "~30\r\n" "\xC3\xBC" "ber\r\n"
      "[Registry]\r\n"
      "\\HKLM\\Software\\Acme\r\n"
      "   \r\n"
      "[Associations]\r\n"
      ".a~!~A.Doc~!~open~!~icon~!~with separator\r\n"
      ".b~!~B.Doc~!~~!~\r\n"           // no verb: dropped
      "~!~C.Doc~!~open~!~\r\n"         // no extension: dropped
      ".c~!~C.Doc~!~open\r\n"          // no icon field at all
      "[AutoClose]\r\n"
      "Cls,Title,Prog,2\r\n"
      "Cls,Title,Prog,0\r\n"
      "Cls,Title,Prog\r\n"             // three fields: dropped
      "Cls,Ti,tle,Prog,1\r\n"          // five fields: dropped
      "Cls,Title,Prog,x\r\n"           // no number: dropped
      "[ConditionalDelete]\r\n"
      "C:\\x\\*.log,6,2048,8\r\n"
      "C:\\x\\*.log,six,2048,8\r\n"
      "C:\\x\\*.log,6,2048\r\n"
      "[Strings]\r\n"                  // a section may come back
      "~35\r\nlate message\r\n"
      "[INF]\r\nC:\\Acme\\d.inf\r\n"
      "[MSI]\r\nC:\\Acme\\p.msi,2\r\n"
      "[Firewall]\r\n8080;x;1;\r\n"
      "[Registry2]\r\n\\HKCU\\Software\\Acme,Name,1,,,1\r\n";

  UninstallData d;
  ParseUninstallData(text, d);
  EXPECT_EQ(d.items, (std::vector<Text8>{"C:\\Acme\\a.txt", "~C:\\Acme\\Sub", "C:\\Acme\\b.txt", "[Unknown]"}));
  EXPECT_EQ(d.messages, (std::map<int, std::u16string>{{10, u"First line\r\n\r\nSecond line"},
                                                       {20, u"Text up to a section"},
                                                       {30, u"\u00FCber"},
                                                       {35, u"late message"},
                                                       {1000, u"\u00FCber"}}));
  EXPECT_EQ(d.title, u"Title");
  EXPECT_EQ(d.registry, std::vector<Text8>{"\\HKLM\\Software\\Acme"});
  EXPECT_EQ(d.associations, (std::vector<FileAssociation>{{".a", "A.Doc", "open", "icon~!~with separator"},
                                                          {".c", "C.Doc", "open", ""}}));
  EXPECT_EQ(d.auto_close,
            (std::vector<AutoCloseRecord>{{"Cls", "Title", "Prog", 2, 4}, {"Cls", "Title", "Prog", 0, 2}}));
  EXPECT_EQ(d.deletions, (std::vector<FileDeletion>{{"C:\\x\\*.log", 6, "2048", 8}}));
  EXPECT_EQ(d.inf, std::vector<Text8>{"C:\\Acme\\d.inf"});
  EXPECT_EQ(d.msi, std::vector<Text8>{"C:\\Acme\\p.msi,2"});
  EXPECT_EQ(d.firewall, std::vector<Text8>{"8080;x;1;"});
  EXPECT_EQ(d.registry2, std::vector<Text8>{"\\HKCU\\Software\\Acme,Name,1,,,1"});
}

TEST(UninstallDataReader, EmptyFileGivesEmptyRecordSet) {
  UninstallData d;
  ParseUninstallData("", d);
  EXPECT_TRUE(d.items.empty());
  EXPECT_TRUE(d.messages.empty());
  EXPECT_TRUE(d.title.empty());
}

TEST(UninstallDataSettings, RecordsFromTheLists) {
  std::vector<DeleteEntry> deletes = {{"%InstallDir%\\old.dll", 4, "2020-01-01", 0x5}};
  EXPECT_EQ(FileDeletionsFromSettings(deletes),
            (std::vector<FileDeletion>{{"%InstallDir%\\old.dll", 4, "2020-01-01", 5}}));

  std::vector<CloseEntry> closes = {{"A", "a", "Prog A", 2, kCloseAtInstall | kCloseAtUninstall},
                                    {"B", "b", "Prog B", 0, kCloseAtInstall},
                                    {"C", "c", "Prog C", 3, kCloseAtUninstall}};
  EXPECT_EQ(AutoCloseFromSettings(closes),
            (std::vector<AutoCloseRecord>{{"A", "a", "Prog A", 2, 4}, {"C", "c", "Prog C", 3, 2}}));
}

TEST(ConditionalDeletionRule, DateTexts) {
  struct Case {
    const char* text;
    bool valid;
    DateTimeParts when;
    bool has_time;
  };
  const Case kCases[] = {
      {"2024-03-05", true, {2024, 3, 5, 0, 0, 0}, false},
      {" 2024/3/5 ", true, {2024, 3, 5, 0, 0, 0}, false},
      {"2024-03-05 14:30", true, {2024, 3, 5, 14, 30, 0}, true},
      {"2024-03-05T14:30:15", true, {2024, 3, 5, 14, 30, 15}, true},
      {"5-Mar-2024", true, {2024, 3, 5, 0, 0, 0}, false},
      {"5-March-2024 2:30:15p", true, {2024, 3, 5, 14, 30, 15}, true},
      {"5-Mar-2024 12:00a", true, {2024, 3, 5, 0, 0, 0}, true},
      {"2024-02-29", true, {2024, 2, 29, 0, 0, 0}, false},
      {"2023-02-29", false, {}, false},
      {"2024-13-01", false, {}, false},
      {"2024-03-05 24:00", false, {}, false},
      {"2024-03-05 13:00p", false, {}, false},
      {"2024-03-05 x", false, {}, false},
      {"yesterday", false, {}, false},
      {"", false, {}, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    auto d = ParseDeletionDate(c.text);
    ASSERT_EQ(d.has_value(), c.valid);
    if (!d) continue;
    EXPECT_EQ(d->has_time, c.has_time);
    EXPECT_EQ(std::tie(d->when.year, d->when.month, d->when.day, d->when.hour, d->when.minute, d->when.second),
              std::tie(c.when.year, c.when.month, c.when.day, c.when.hour, c.when.minute, c.when.second));
  }
}

TEST(ConditionalDeletionRule, KindsAgainstAFile) {
  const DeletionCandidate file{1000, {2024, 3, 5, 14, 30, 15}};
  struct Case {
    int kind;
    const char* value;
    DeletionTest expect;
  };
  const Case kCases[] = {
      {kCompareAlways, "", DeletionTest::kDelete},
      {kCompareAlways, "not looked at", DeletionTest::kDelete},
      // Date only: the time of day does not count.
      {kCompareDateEqual, "2024-03-05", DeletionTest::kDelete},
      {kCompareDateEqual, "2024-03-06", DeletionTest::kKeep},
      {kCompareDateEqual, "2024-03-05 14:30:15", DeletionTest::kDelete},
      {kCompareDateEqual, "2024-03-05 14:30:16", DeletionTest::kKeep},
      {kCompareDateOnOrAfter, "2024-03-05", DeletionTest::kDelete},
      {kCompareDateOnOrAfter, "2024-03-04", DeletionTest::kDelete},
      {kCompareDateOnOrAfter, "2024-03-06", DeletionTest::kKeep},
      {kCompareDateOnOrAfter, "2024-03-05 14:30:16", DeletionTest::kKeep},
      {kCompareDateOnOrBefore, "2024-03-05", DeletionTest::kDelete},
      {kCompareDateOnOrBefore, "2024-03-06", DeletionTest::kDelete},
      {kCompareDateOnOrBefore, "2024-03-04", DeletionTest::kKeep},
      {kCompareDateOnOrBefore, "2024-03-05 14:30:14", DeletionTest::kKeep},
      {kCompareDateEqual, "soon", DeletionTest::kBadDate},
      {kCompareDateOnOrBefore, "", DeletionTest::kBadDate},
      {kCompareSizeEqual, "1000", DeletionTest::kDelete},
      {kCompareSizeEqual, "999", DeletionTest::kKeep},
      {kCompareSizeAtLeast, "1000", DeletionTest::kDelete},
      {kCompareSizeAtLeast, "1001", DeletionTest::kKeep},
      {kCompareSizeAtMost, "1000", DeletionTest::kDelete},
      {kCompareSizeAtMost, "999", DeletionTest::kKeep},
      // A size that is no number, and an unknown kind, delete nothing.
      {kCompareSizeAtLeast, "", DeletionTest::kKeep},
      {kCompareSizeAtLeast, "1k", DeletionTest::kKeep},
      {kCompareSizeAtMost, "-1", DeletionTest::kKeep},
      {7, "", DeletionTest::kKeep},
      {-1, "", DeletionTest::kKeep},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::to_string(c.kind) + " " + c.value);
    EXPECT_EQ(TestDeletion(c.kind, c.value, file), c.expect);
  }
}

}  // namespace
}  // namespace ks
