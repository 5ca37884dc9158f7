// Writing one installed file: three attempts that never leave a partial file
// under its name, the optional read-back check, file times and attributes,
// and replacement at the restart when it stays locked.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "install/install_context.h"
#include "install/staging_folders.h"
#include "portable/content_stream.h"
#include "portable/payload.h"
#include "portable/settings.h"

namespace ks {

// Internal error: a file of negative size was to be written.
constexpr int kErrNegativeWriteSize = 5;
constexpr int kWriteAttempts = 3;
constexpr DWORD kWriteRetryDelayMs = 50;
// New names tried for the copy of an earlier file's replacement before giving up.
constexpr int kStagingNameTries = 100;
// Attribute bits a record may set: read-only, hidden, system, archive,
// temporary and offline.
constexpr DWORD kRecordAttributeMask = 0x1127;

struct FileWrite {
  std::u16string destination;
  // The content as it is decoded (checked at its end), or else data and size.
  ContentStream* content = nullptr;
  const uint8_t* data = nullptr;
  int64_t size = 0;
  FileTimes times;  // not set: the times stay as the write left them
  uint32_t attributes = kKeepAttributes;
  bool existed = false;  // the file was there before (known for kinds 1, 4, 6 to 9)
  // Where an earlier file's replacement is written first; none: beside it.
  StagingFolders* staging = nullptr;
};

struct FileWriteResult {
  bool written = false;     // written in place
  bool registered = false;  // not written, but waiting to replace the file at the restart
};

// Returns 0, kErrNegativeWriteSize, or what reading the content returned (a
// damaged or cancelled content leaves no file of it). Failures to write go to
// the failure summary.
int WriteOneFile(const FileWrite& request, InstallContext& context, InstallSink& sink, FileWriteResult& result);

// Sets creation and last-write time on an open handle; zero times stay.
bool ApplyFileTimes(HANDLE file, const FileTimes& times);

}  // namespace ks
