// Cancel during the payload phase under Wine: the run's cancel flag, as the
// progress page sets it, stops the phase at the engine sink's next pump.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/wide.h"
#include "core_test_folder.h"
#include "install/payload_install.h"
#include "setup/engine_sink.h"
#include "setup/install_run.h"
#include "setup/setup_archive.h"

namespace ks {
namespace {

// The engine's own sink, with the payload area handed in (no archive opened)
// and Cancel pressed while the second file is written.
class CancellingSink : public EngineSink {
 public:
  CancellingSink(SetupArchive& archive, InstallRun& run, std::span<const uint8_t> area)
      : EngineSink(archive, run), run_(run), area_(area) {}
  std::span<const uint8_t> PayloadArea() override { return area_; }
  void FileWritten(const FileRecord&, const std::u16string&) override {
    if (++written == 2) run_.cancel_requested = true;
  }
  int written = 0;

 private:
  InstallRun& run_;
  std::span<const uint8_t> area_;
};

std::set<std::u16string> NamesIn(const std::u16string& folder) {
  std::set<std::u16string> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(W(folder + u"\\*"), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    std::u16string name = U16(fd.cFileName);
    if (name != u"." && name != u"..") out.insert(name);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

TEST(InstallCancel, CancelRequestedStopsThePayloadAfterTheFileInHand) {
  TestFolder dir{u"cancel"};
  InstallRun run;
  run.InstallDir = dir / u"App";
  ASSERT_TRUE(CreateDirectoryW(W(run.InstallDir), nullptr));

  // Compressed, one small chunk per file or so: the stop falls between files.
  PayloadWriter writer({true, nullptr}, 64);
  const std::string content = "0123456789";
  for (const char* name : {"one.txt", "two.txt", "three.txt", "four.txt"}) {
    FileRecord record;
    record.FileName = name;
    ASSERT_TRUE(writer.Add(record, {reinterpret_cast<const uint8_t*>(content.data()), content.size()}));
  }
  std::vector<uint32_t> sizes = writer.FileSizes();
  Bytes area = writer.Finish();

  InstallContext context;
  context.InstallDir = run.InstallDir;
  context.UninstallDir = run.InstallDir;
  context.OptionFlags = kOptZlibPayload;
  context.FileSizes = sizes;
  SetupArchive archive;
  CancellingSink sink(archive, run, area);

  EXPECT_EQ(InstallPayload(context, sink, run.payload), kPayloadCancelled);
  EXPECT_TRUE(run.cancel_requested);
  EXPECT_EQ(sink.written, 2);
  // The two files before the stop are whole; nothing else, no temporaries.
  EXPECT_EQ(NamesIn(run.InstallDir), (std::set<std::u16string>{u"one.txt", u"two.txt"}));
  EXPECT_EQ(run.payload.written.size(), 2u);
  // What was written is recorded for the uninstaller as usual.
  EXPECT_EQ(run.uninstall_data.items.size(), 2u);
}

}  // namespace
}  // namespace ks
