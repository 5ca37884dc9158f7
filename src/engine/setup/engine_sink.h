// The install operations' view of the run: the engine's log, uninstall data,
// folder variables, texts and archive, behind the InstallSink interface.
#pragma once
#include "install/install_context.h"
#include "setup/setup_archive.h"

namespace ks {

struct InstallRun;

class EngineSink : public InstallSink {
 public:
  EngineSink(SetupArchive& archive, InstallRun& run) : archive_(archive), run_(run) {}
  std::u16string Expand(std::u16string text) override;
  void Log(std::string_view utf8) override;
  void AddFailure(std::string_view text8) override;
  void RecordItem(const std::u16string& path, int kind) override;
  std::u16string Text(int number) override;
  void Status(std::u16string_view text) override;
  void Progress(int percent) override;
  [[nodiscard]] bool Pump() override;
  std::span<const uint8_t> PayloadArea() override;
  void ProcessDeleteList() override;
  void FileWritten(const FileRecord& record, const std::u16string& destination) override;

 private:
  SetupArchive& archive_;
  InstallRun& run_;
  unsigned long last_pump_ = 0;  // tick of the last pump
};

}  // namespace ks
