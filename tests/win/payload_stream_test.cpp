// A payload file written as its chunks are decoded: a content that turns out
// damaged at its end leaves no file (and an earlier file whole), and the
// read-back check and the copy for the restart read a many-chunk content again.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/wide.h"
#include "core_test_folder.h"
#include "install/payload_install.h"
#include "portable/bytes.h"
#include "portable/inflate.h"
#include "portable/sum32.h"

namespace ks {
namespace {

class QuietSink : public InstallSink {
 public:
  std::u16string install_dir;
  std::span<const uint8_t> area;
  std::string log, failures;
  std::u16string Expand(std::u16string text) override { return text; }
  void Log(std::string_view utf8) override { log += utf8; }
  void AddFailure(std::string_view text8) override { failures += text8; }
  void RecordItem(const std::u16string&, int) override {}
  std::u16string Text(int) override { return u"<text>"; }
  void Status(std::u16string_view) override {}
  void Progress(int) override {}
  bool Pump() override { return false; }
  std::span<const uint8_t> PayloadArea() override { return area; }
};

// Text that compresses a little, spanning many 64 KiB chunks.
std::string BigContent() {
  std::string s;
  uint32_t x = 7;
  while (s.size() < 700000) {
    x = x * 1103515245u + 12345u;
    s += "line " + std::to_string(x >> 8) + "\r\n";
  }
  return s;
}

struct StreamCase {
  const char* what;
  bool damaged;
  bool earlier_file;
  uint32_t option_flags;
};

TEST(PayloadStream, DamageFoundAtTheEndLeavesNoFileAndChecksReadTheContentAgain) {
  const std::string big = BigContent();
  const StreamCase kCases[] = {
      {"new file", false, false, 0},
      {"new file, damaged", true, false, 0},
      {"earlier file, damaged", true, true, 0},
      {"earlier file", false, true, 0},
      {"read-back check", false, false, kOptVerifyFiles},
      {"read-back check, earlier file", false, true, kOptVerifyFiles},
      {"read-back check, damaged", true, false, kOptVerifyFiles},
  };
  for (const StreamCase& c : kCases) {
    SCOPED_TRACE(c.what);
    TestFolder dir{u"stream"};
    const std::u16string app = dir / u"App", target = app + u"\\big.txt";
    CreateDirectoryW(W(app), nullptr);
    if (c.earlier_file) { ASSERT_TRUE(WriteWholeFile(target, "earlier")); }

    FileRecord record;
    record.FileName = "big.txt";
    PayloadWriter writer({true, nullptr}, 1 << 16);
    ASSERT_TRUE(writer.Add(record, {reinterpret_cast<const uint8_t*>(big.data()), big.size()}));
    Bytes area = writer.Finish();
    if (c.damaged) {
      // The last content byte changed, the stored checksum still the sound
      // one: only the end of the content shows the damage.
      std::string changed = big;
      changed.back() ^= 1;
      Bytes record_bytes = EncodeFileRecord(record, {reinterpret_cast<const uint8_t*>(changed.data()), changed.size()});
      StoreU32(record_bytes.data() + record_bytes.size() - 4, Sum32(big.data(), (long long)big.size()));
      ByteWriter plain;
      plain.U32(uint32_t(record_bytes.size()));
      plain.Raw(record_bytes);
      const Bytes stream = plain.Take();
      ByteWriter out;
      for (size_t at = 0; at < stream.size(); at += 1 << 16) {
        Bytes packed = DeflateBuffer(stream.data() + at, std::min<size_t>(1 << 16, stream.size() - at));
        out.U32(uint32_t(packed.size()));
        out.U32(Sum32(packed.data(), (long long)packed.size()));
        out.Raw(packed);
      }
      area = out.Take();
    }

    InstallContext context;
    context.InstallDir = app;
    context.OptionFlags = kOptZlibPayload | c.option_flags;
    const std::vector<uint32_t> sizes = {uint32_t(big.size())};
    context.FileSizes = sizes;
    QuietSink sink;
    sink.install_dir = app;
    sink.area = area;
    PayloadLists lists;
    EXPECT_EQ(InstallPayload(context, sink, lists), c.damaged ? kErrFileChecksum : 0) << sink.failures;
    EXPECT_EQ(sink.failures, "");
    const std::string expected = c.damaged ? (c.earlier_file ? "earlier" : "<missing>") : big;
    const std::string on_disk = ReadWhole(target);
    EXPECT_EQ(on_disk.size(), expected.size());
    EXPECT_TRUE(on_disk == expected);
    // Nothing else is left in the folder: no partial or staged copy.
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(W(app + u"\\*"), &found);
    int entries = 0;
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) ++entries;
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    EXPECT_EQ(entries, expected == "<missing>" ? 0 : 1);
  }
}

}  // namespace
}  // namespace ks
