// The library's file error codes 0..22 and their fixed English texts.
#pragma once

namespace ks {

enum FileError : int {
  kFileOk = 0,
  kFileUnknown = 1,
  kFileInvalidName = 2,
  kFileNotFound = 3,
  kFileNoFolder = 4,
  kFileLocked = 5,
  kFileReadFailed = 6,
  kFileWriteFailed = 7,
  kFileTooManyOpen = 8,
  kFileInvalidParameter = 9,
  kFileExists = 10,
  kFileTooManyIndexed = 11,
  kFileAccessDenied = 12,
  kFileReadOnly = 13,
  kFileCorrupt = 14,
  kFileDeleteFailed = 15,
  kFileTooLarge = 16,
  kFileAborted = 17,
  kFileFolderFailed = 18,
  kFileBadNetPath = 19,
  kFileNotReady = 20,
  kFileNoDrive = 21,
  kFileEraseVerify = 22,
};

const char* FileErrorText(int code);

}  // namespace ks
