// The library's file error codes and their fixed English texts.
#include "file_errors.h"

namespace ks {

const char* FileErrorText(FileError error) {
  const int code = int(error);
  static const char* const kTexts[] = {
      "Success.",
      "An unknown error occurred.",
      "The filename is invalid.",
      "The file was not found.",
      "The directory does not exist.",
      "The file is locked by another application.",
      "Failed to read the file into memory.",
      "Failed to write data to the file.",
      "Too many files are already open.",
      "An invalid parameter was used.",
      "The file already exists.",
      "Too many indexed files exist.",
      "Access denied.",
      "The file's Read-Only attribute is set.",
      "The file's contents are corrupted.",
      "Deletion failed.",
      "The file is too large to load into memory.",
      "Aborted by the user.",
      "Failed to create the directory.",
      "The network path is not valid.",
      "The device is not ready (usually because no disk is inserted).",
      "The drive does not exist.",
      "Erasure verification failed.",
  };
  if (code < 0 || code >= int(sizeof kTexts / sizeof kTexts[0])) return kTexts[1];
  return kTexts[code];
}

}  // namespace ks
