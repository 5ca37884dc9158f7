// Component registration through the install sink under Wine: the shared-file
// counts with the counted-files text they extend, and the progress texts and
// log lines of a type library that fails before one that registers nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/registry_key.h"
#include "core/wide.h"
#include "core_test_folder.h"
#include "install/com_registration.h"
#include "install/shared_counts.h"
#include "portable/text.h"

namespace ks {
namespace {

constexpr wchar_t kSharedDlls[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

class RecordingSink : public InstallSink {
 public:
  std::string log, failures;
  std::vector<std::u16string> statuses;

  std::u16string Expand(std::u16string text) override { return text; }
  void Log(std::string_view utf8) override { log += utf8; }
  void AddFailure(std::string_view text8) override { failures += text8; }
  void RecordItem(const std::u16string&, int) override {}
  std::u16string Text(int number) override { return number == 77 ? u"Registering <file>..." : u"?"; }
  void Status(std::u16string_view text) override { statuses.emplace_back(text); }
  void Progress(int) override {}
  bool Pump() override { return false; }
  std::span<const uint8_t> PayloadArea() override { return {}; }
};

DWORD Count(const std::u16string& path) {
  RegistryKey key;
  if (!Opened(key.Open(HKEY_LOCAL_MACHINE, U16(kSharedDlls), kRegOpenOnly, kRegRead))) return 0;
  return key.ReadNumber(path, 0);
}

TEST(SharedCounts, MissingKeyIsOneFailureParagraph) {
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSharedDlls);
  RecordingSink sink;
  std::u16string counted = u"\"C:\\x.dll\"";
  CountSharedFiles({u"C:\\ks-counts\\a.dll"}, counted, sink);
  EXPECT_EQ(sink.failures, "Registry error: unable to increment shared file reference counts.\r\n\r\n");
  EXPECT_EQ(counted, u"\"C:\\x.dll\"");
  EXPECT_EQ(sink.log, "");
  // A product without shared files has nothing to count: no failure.
  RecordingSink quiet;
  CountSharedFiles({}, counted, quiet);
  EXPECT_EQ(quiet.failures, "");
}

TEST(SharedCounts, EachEntryOncePerProductUnderItsPath) {
  HKEY made;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSharedDlls, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(made);
  const std::u16string dir = u"C:\\ks-counts\\";
  const std::u16string a = dir + u"a.dll", kept = dir + u"kept.dll", com = dir + u"com.dll", tlb = dir + u"lib.tlb",
                       earlier = dir + u"earlier.dll";
  {
    RegistryKey key;
    ASSERT_TRUE(Opened(key.Open(HKEY_LOCAL_MACHINE, U16(kSharedDlls), kRegOpenOnly, kRegReadWrite)));
    ASSERT_TRUE(key.WriteNumber(a, 4, 0));  // another product's count
    for (const std::u16string& p : {kept, com, tlb, earlier}) (void)key.DeleteValue(p);
  }
  RecordingSink sink;
  // An earlier installation of this product counted `earlier` already.
  std::u16string counted = u"\"" + earlier + u"\"";
  CountSharedFiles({a, kept + u" ", com + u"^", a, tlb + u"\u00A9", earlier}, counted, sink);

  EXPECT_EQ(Count(a), 5u);  // listed twice, counted once
  EXPECT_EQ(Count(kept), 1u);
  EXPECT_EQ(Count(com), 1u);
  EXPECT_EQ(Count(tlb), 1u);
  EXPECT_EQ(Count(earlier), 0u);
  EXPECT_EQ(counted, u"\"" + earlier + u"\";\"" + a + u"\";\"" + kept + u" \";\"" + com + u"^\";\"" + tlb +
                         u"\u00A9\"");
  EXPECT_EQ(sink.failures, "");
  EXPECT_EQ(sink.log, "");

  RegistryKey key;
  ASSERT_TRUE(Opened(key.Open(HKEY_LOCAL_MACHINE, U16(kSharedDlls), kRegOpenOnly, kRegReadWrite)));
  for (const std::u16string& p : {a, kept, com, tlb}) (void)key.DeleteValue(p);
}

// A library that fails is logged with the system's text, and the next one
// is still tried; each gets its progress text.
TEST(TypeLibraries, FailureDoesNotStopTheNext) {
  TestFolder dir{u"tlb"};
  const std::u16string bad = dir / u"bad.tlb", missing = dir / u"missing.tlb";
  ASSERT_TRUE(WriteWholeFile(bad, "not a type library"));
  RecordingSink sink;
  RegisterTypeLibraries({bad, missing}, sink);
  EXPECT_EQ(sink.statuses, (std::vector<std::u16string>{u"Registering " + bad + u"...",
                                                        u"Registering " + missing + u"..."}));
  const std::string head_bad = "Registering Type Library \"" + Utf16ToUtf8(bad) + "\"...FAILED\r\n";
  const std::string head_missing = "Registering Type Library \"" + Utf16ToUtf8(missing) + "\"...FAILED\r\n";
  ASSERT_EQ(sink.log.rfind(head_bad, 0), 0u) << sink.log;
  EXPECT_NE(sink.log.find(head_missing), std::string::npos) << sink.log;
  EXPECT_EQ(sink.failures, "");
}

}  // namespace
}  // namespace ks
