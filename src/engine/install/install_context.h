// What the install operations take from the run: the folders and flags they
// work with, and the sink through which they log, record, expand and report.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "portable/blowfish.h"
#include "portable/payload.h"
#include "portable/settings.h"
#include "portable/uninstall_data.h"

namespace ks {

// StringTable messages of the payload phase.
enum : int {
  kMsgCannotCreateFolder = 25,
  kMsgReadingArchive = 29,
  kMsgFileNotWritten = 31,
  kMsgInstallingFiles = 54,
  kMsgCheckingArchive = 62,
};

// The run's services, adapted by the installation flow (tests use fakes).
class InstallSink {
 public:
  virtual ~InstallSink() = default;
  // Folder variables (%InstallDir% and the rest) expanded in `text`.
  virtual std::u16string Expand(std::u16string text) = 0;
  // One piece of the installation log, UTF-8; ignored while no log is active.
  virtual void Log(std::string_view utf8) = 0;
  // One paragraph of the failure summary, in the system code page.
  virtual void AddFailure(std::string_view text8) = 0;
  // Records an item for removal by the uninstaller.
  virtual void RecordItem(const std::u16string& path, int kind) = 0;
  // StringTable entry `number` in the current language.
  virtual std::u16string Text(int number) = 0;
  // Progress dialog: status line and bar position in percent.
  virtual void Status(std::u16string_view text) = 0;
  virtual void Progress(int percent) = 0;
  // Keeps the windows responsive between steps. True: the user asked to stop,
  // and the operation ends at this point.
  [[nodiscard]] virtual bool Pump() = 0;
  // The payload area, located and checked (the archive reader ends the run
  // itself on a wrong length or checksum).
  virtual std::span<const uint8_t> PayloadArea() = 0;
  // The DeleteList, run between progress 26 and 27.
  virtual void ProcessDeleteList() {}
  // Follow-ups of a file written in place (font, INF, MSI, applet registration).
  virtual void FileWritten(const FileRecord& /*record*/, const std::u16string& /*destination*/) {}
};

struct InstallContext {
  std::u16string InstallDir;
  std::u16string SharedDir;     // %SharedDir%; empty when there is none
  std::u16string UninstallDir;  // %UninstallDir%
  std::u16string FontsDir;      // the system's Fonts folder
  std::u16string SystemDir;     // the (64-bit product's) system folder
  std::u16string WindowsDir;    // where wininit.ini lives; empty: the system's
  // The install folder is on a removable, CD-ROM or RAM-disk drive.
  bool InstallOnRemovable = false;
  std::u16string SharedPathOnRemovable;

  // kOptRestartRequired is set here at run time: the flow reads it back.
  uint32_t OptionFlags = 0;
  uint32_t OptionFlags2 = 0;
  uint32_t ArchiveFlags = 0;

  // From the archive header: one entry per payload file.
  std::span<const uint32_t> FileSizes;
  // Checked here (error 55) when given; the archive reader may have done it.
  bool CheckPayloadChecksum = false;
  uint32_t PayloadChecksum = 0;
  const Blowfish* Cipher = nullptr;  // with ArchiveFlags 0x1000
};

}  // namespace ks
