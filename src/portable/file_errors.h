// The library's file error codes 0..22 and their fixed English texts.
#pragma once

namespace ks {

enum class FileError : int {
  kOk = 0,
  kUnknown = 1,
  kInvalidName = 2,
  kNotFound = 3,
  kNoFolder = 4,
  kLocked = 5,
  kReadFailed = 6,
  kWriteFailed = 7,
  kTooManyOpen = 8,
  kInvalidParameter = 9,
  kExists = 10,
  kTooManyIndexed = 11,
  kAccessDenied = 12,
  kReadOnly = 13,
  kCorrupt = 14,
  kDeleteFailed = 15,
  kTooLarge = 16,
  kAborted = 17,
  kFolderFailed = 18,
  kBadNetPath = 19,
  kNotReady = 20,
  kNoDrive = 21,
  kEraseVerify = 22,
};

const char* FileErrorText(FileError code);

}  // namespace ks
