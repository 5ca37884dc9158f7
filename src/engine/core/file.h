// The library's file object: opens a file by a flags word, reads and writes
// blocks, reports library error codes with their texts; or works in memory.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/handle.h"
#include "portable/file_errors.h"  // the codes Open returns

namespace ks {

// Open flags.
enum : unsigned {
  kOpenCreationMask = 0x3,  // 0 OPEN_ALWAYS, 1 OPEN_EXISTING, 2 CREATE_NEW, 3 CREATE_ALWAYS
  kOpenAlways = 0x0,
  kOpenExisting = 0x1,
  kOpenCreateNew = 0x2,
  kOpenCreateAlways = 0x3,
  kOpenNoRead = 0x8,
  kOpenNoWrite = 0x10,
  kOpenRequired = 0x20,
  kOpenRetryOnce = 0x40,
  kOpenCheckContent = 0x80,
  kOpenShareRead = 0x100,
  kOpenShareWrite = 0x200,
  kOpenSeekEnd = 0x400,
  kOpenCloseAtOnce = 0x800,
  kOpenNoSharingRetry = 0x1000,
  kOpenWideName = 0x2000,
  kOpenSourceShift = 29,  // the top three bits: where the name comes from
  kOpenSourceMask = 0xE0000000u,
};

// Name sources (the top three bits of the open flags, shifted down).
enum : unsigned {
  kNameAsGiven = 0,
  kNameTempInTempFolder = 1,    // a new temporary file in the temporary folder
  kNameTempInFolder = 2,        // a new temporary file in the given folder
  kNameInTempFolder = 3,        // the given name inside the temporary folder
  kNameTempBesidePath = 4,      // a new temporary file in the folder part of the given path
  kNameTempFromName = 5,        // a new temporary name built from the given name
};
constexpr unsigned NameSource(unsigned source) { return source << kOpenSourceShift; }

constexpr int kFileWritePiece = 1048576;  // WriteFile is never asked for more

class File {
 public:
  File() = default;
  virtual ~File() = default;
  File(File&&) = default;
  File& operator=(File&&) = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens by the flags word; returns FileError::kOk or the library file
  // error, and sets LastErrorText() to its text. An 8-bit path that starts with
  // "|" is UTF-8 after it; other 8-bit paths are in the ANSI code page.
  [[nodiscard]] FileError Open(std::string_view path, unsigned flags);
  [[nodiscard]] FileError Open(std::u16string_view path, unsigned flags);  // adds kOpenWideName

  // Memory-backed mode: reads and writes go to `data` instead of a file.
  void OpenMemory(std::vector<uint8_t> data = {});
  const std::vector<uint8_t>& MemoryData() const { return memory_; }

  void Close();
  bool IsOpen() const { return handle_.valid() || in_memory_; }

  // Exactly `n` bytes or failure.
  bool ReadExact(void* buffer, int n);
  // Up to `n` bytes; the count read, or -1 on failure.
  int ReadUpTo(void* buffer, int n);
  bool Write(const void* buffer, int n);

  // `origin` is FILE_BEGIN, FILE_CURRENT or FILE_END.
  bool Seek(int64_t offset, DWORD origin = FILE_BEGIN);
  int64_t Position();
  int64_t Size();  // -1 on failure

  const std::u16string& LastErrorText() const { return error_text_; }
  const std::string& Path8() const { return path8_; }
  const std::u16string& Path() const { return path16_; }
  HANDLE Handle() const { return handle_.get(); }

 protected:
  // The content check of kOpenCheckContent; the generic file has none.
  virtual bool CheckContent() { return true; }
  // One WriteFile call of at most kFileWritePiece bytes.
  virtual bool WritePiece(const void* data, DWORD size, DWORD* written);

 private:
  FileError OpenWide(std::u16string name, unsigned flags);
  void SetFileError(FileError code);
  void SetError(std::u16string text) { error_text_ = std::move(text); }
  void SetSystemError(DWORD code);

  std::string path8_;
  std::u16string path16_;
  UniqueHandle handle_;
  bool can_read_ = true;
  bool can_write_ = true;
  bool in_memory_ = false;
  std::vector<uint8_t> memory_;
  size_t memory_pos_ = 0;
  std::u16string error_text_;
};

// The system error mapped to a library code; `path` and `wanted_write` decide
// the drive-letter and read-only refinements.
FileError FileErrorFromSystem(DWORD error, std::u16string_view path, bool wanted_write);

// The system's temporary folder with a trailing backslash ("c:\temp\" when
// the system has none).
std::u16string TempFolder();
// A name for a new temporary file ("OQT" prefix) in `folder`, or in the
// temporary folder when `folder` is empty; empty when 100 attempts failed.
// The file is not created.
std::u16string TemporaryName(std::u16string_view folder = {});

// The path text conventions: "|" + UTF-8, else the ANSI code page.
std::u16string PathFrom8Bit(std::string_view path);

}  // namespace ks
