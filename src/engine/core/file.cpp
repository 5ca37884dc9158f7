// The file object: opening by flags, block reads and writes, the memory mode,
// temporary names and the system-error-to-code table.
#include "core/file.h"

#include <cstring>

#include "core/fatal.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "portable/file_errors.h"
#include "portable/path_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

constexpr DWORD kRetryOnceDelayMs = 150;
constexpr DWORD kSharingRetryDelayMs = 100;
constexpr int kSharingRetries = 5;
constexpr int kTempNameAttempts = 100;

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
}

// The folder part of a path including its final backslash, or "" without one.
std::u16string_view FolderPart(std::u16string_view path) {
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string_view::npos ? std::u16string_view() : path.substr(0, slash + 1);
}

std::u16string_view NamePart(std::u16string_view path) {
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string WithBackslash(std::u16string_view folder) {
  std::u16string result(folder);
  if (!result.empty() && result.back() != u'\\' && result.back() != u'/') result += u'\\';
  return result;
}

bool DriveMissing(std::u16string_view path) {
  if (!HasDriveLetter(path)) return false;
  wchar_t root[] = {wchar_t(path[0]), L':', L'\\', 0};
  return GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR;
}

// A temporary name built from `name`: "OQTxxxx_" + its file-name part, in
// the folder of `name` or else the temporary folder; one that does not exist.
std::u16string TemporaryNameFrom(std::u16string_view name) {
  std::u16string_view folder = FolderPart(name);
  std::u16string_view file = NamePart(name);
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    std::u16string base = TemporaryName(folder);
    if (base.empty()) return {};
    if (base.size() > 4 && EqualsNoCase(std::u16string_view(base).substr(base.size() - 4), u".tmp"))
      base.resize(base.size() - 4);
    std::u16string candidate = base + u"_" + std::u16string(file);
    if (!Exists(candidate)) return candidate;
  }
  return {};
}

}  // namespace

std::u16string PathFrom8Bit(std::string_view path) {
  if (!path.empty() && path.front() == '|') return Utf8ToUtf16(path.substr(1));
  return SystemCodePage().ToWide(path);
}

std::u16string TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  std::u16string folder = (n == 0 || n > MAX_PATH) ? std::u16string(u"c:\\temp") : U16(buffer, n);
  return WithBackslash(folder);
}

std::u16string TemporaryName(std::u16string_view folder) {
  std::u16string dir = folder.empty() ? TempFolder() : WithBackslash(folder);
  // GetTempFileNameW with a unique number of our own does not create the
  // file, so the open that follows can use the caller's creation rule.
  static unsigned counter = 0;
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    UINT unique = ((GetTickCount() * 7919u + GetCurrentProcessId() + ++counter * 40503u) & 0xFFFFu);
    if (unique == 0) unique = 1;
    wchar_t buffer[MAX_PATH];
    if (!GetTempFileNameW(W(dir), L"OQT", unique, buffer)) {
      error = GetLastError();
      continue;
    }
    std::u16string name = U16(buffer);
    if (!Exists(name)) return name;
  }
  SetLastError(error);
  return {};
}

FileError FileErrorFromSystem(DWORD error, std::u16string_view path, bool wanted_write) {
  // The refinements below ask the system again; the caller's reason stays.
  struct KeepLastError {
    DWORD error;
    ~KeepLastError() { SetLastError(error); }
  } keep{error};
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return FileError::kNotFound;
    case ERROR_PATH_NOT_FOUND: return DriveMissing(path) ? FileError::kNoDrive : FileError::kNoFolder;
    case ERROR_INVALID_DRIVE: return FileError::kNoDrive;
    case ERROR_TOO_MANY_OPEN_FILES: return FileError::kTooManyOpen;
    case ERROR_ACCESS_DENIED: {
      if (wanted_write) {
        DWORD attributes = GetFileAttributesW(W(std::u16string(path)));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return FileError::kReadOnly;
      }
      return FileError::kAccessDenied;
    }
    case ERROR_NOT_READY: return FileError::kNotReady;
    case ERROR_SHARING_VIOLATION: return FileError::kLocked;
    case ERROR_REM_NOT_LIST:
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_BAD_NET_NAME:
    case ERROR_NO_NET_OR_BAD_PATH: return FileError::kBadNetPath;
    case ERROR_FILE_EXISTS: return FileError::kExists;
    case ERROR_INVALID_PARAMETER: return FileError::kInvalidParameter;
    case ERROR_INVALID_NAME: return FileError::kInvalidName;
    default: return FileError::kUnknown;
  }
}

FileError File::Open(std::string_view path, unsigned flags) {
  Close();
  path8_.assign(path);
  return OpenWide(PathFrom8Bit(path), flags & ~unsigned(kOpenWideName));
}

FileError File::Open(std::u16string_view path, unsigned flags) {
  Close();
  path8_ = Utf16ToUtf8(path);
  return OpenWide(std::u16string(path), flags | kOpenWideName);
}

void File::SetFileError(FileError code) { SetError(Widen(FileErrorText(code))); }

void File::SetSystemError(DWORD code) {
  SetError(SystemErrorText(code));
  SetLastError(code);
}

FileError File::OpenWide(std::u16string name, unsigned flags) {
  const unsigned source = (flags & kOpenSourceMask) >> kOpenSourceShift;
  can_read_ = !(flags & kOpenNoRead);
  can_write_ = !(flags & kOpenNoWrite);

  FileError code = FileError::kOk;
  // A temporary file in the temporary folder needs no name, so it has none to check.
  if (source != kNameTempInTempFolder) {
    unsigned check = source == kNameTempInFolder ? unsigned(kPathAllowTrailingSlash) : 0u;
    if (name.empty() || !IsValidPath(name, check)) {
      SetLastError(ERROR_INVALID_NAME);
      code = FileError::kInvalidName;
    }
  }

  if (code == FileError::kOk) {
    switch (source) {
      case kNameAsGiven: path16_ = name; break;
      case kNameTempInTempFolder: path16_ = TemporaryName(); break;
      case kNameTempInFolder: path16_ = TemporaryName(name); break;
      case kNameInTempFolder: path16_ = TempFolder() + name; break;
      case kNameTempBesidePath: {
        std::u16string_view folder = FolderPart(name);
        path16_ = TemporaryName(folder.empty() ? std::u16string_view(u".") : folder);
        break;
      }
      case kNameTempFromName: path16_ = TemporaryNameFrom(name); break;
      default:
        SetLastError(ERROR_INVALID_PARAMETER);
        code = FileError::kInvalidParameter;
    }
    if (code == FileError::kOk && path16_.empty()) {
      if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_FILE_EXISTS);
      code = FileErrorFromSystem(GetLastError(), name, can_write_);
    }
  }

  if (code == FileError::kOk) {
    DWORD access = (can_read_ ? GENERIC_READ : 0) | (can_write_ ? GENERIC_WRITE : 0);
    unsigned share_bits = flags & (kOpenShareRead | kOpenShareWrite);
    // Writing without reading and sharing writes: others may also read.
    if (!can_read_ && can_write_ && (flags & kOpenShareWrite)) share_bits |= kOpenShareRead;
    // Reading without writing and sharing reads: others may also write.
    if (can_read_ && !can_write_ && (flags & kOpenShareRead)) share_bits |= kOpenShareWrite;
    DWORD share = ((share_bits & kOpenShareRead) ? FILE_SHARE_READ : 0) |
                  ((share_bits & kOpenShareWrite) ? FILE_SHARE_WRITE : 0);
    static const DWORD kDisposition[] = {OPEN_ALWAYS, OPEN_EXISTING, CREATE_NEW, CREATE_ALWAYS};
    DWORD disposition = kDisposition[flags & kOpenCreationMask];

    bool retried_once = false;
    int sharing_retries = 0;
    for (;;) {
      HANDLE h = CreateFileW(W(path16_), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        handle_.reset(h);
        break;
      }
      DWORD error = GetLastError();
      // Antivirus scanners often hold a fresh file for a moment.
      if ((flags & kOpenRetryOnce) && !retried_once) {
        retried_once = true;
        Sleep(kRetryOnceDelayMs);
        continue;
      }
      if (error == ERROR_SHARING_VIOLATION && !(flags & kOpenNoSharingRetry) && sharing_retries < kSharingRetries) {
        ++sharing_retries;
        Sleep(kSharingRetryDelayMs);
        continue;
      }
      SetLastError(error);
      code = FileErrorFromSystem(error, path16_, can_write_);
      break;
    }
  }

  if (code == FileError::kOk && (flags & kOpenCheckContent) && !CheckContent()) {
    handle_.reset();
    code = FileError::kReadFailed;
  }
  if (code == FileError::kOk && (flags & kOpenSeekEnd)) {
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(handle_.get(), zero, nullptr, FILE_END)) {
      DWORD error = GetLastError();
      handle_.reset();
      SetLastError(error);
      code = FileErrorFromSystem(error, path16_, can_write_);
    }
  }
  if (code == FileError::kOk && (flags & kOpenCloseAtOnce)) handle_.reset();

  SetFileError(code);
  if (code != FileError::kOk && (flags & kOpenRequired)) {
    const std::u16string& shown = path16_.empty() ? name : path16_;
    FatalFormat("Failed to open required file:\r\n%s\r\n\r\n%s", Utf16ToUtf8(shown).c_str(), FileErrorText(code));
  }
  return code;
}

void File::OpenMemory(std::vector<uint8_t> data) {
  Close();
  memory_ = std::move(data);
  memory_pos_ = 0;
  in_memory_ = true;
  can_read_ = can_write_ = true;
  error_text_.clear();
}

void File::Close() {
  handle_.reset();
  in_memory_ = false;
}

bool File::ReadExact(void* buffer, int n) {
  if (n == 0) return true;
  if (n < 0) return SetError(u"Illegal block size " + Widen(std::to_string(n))), false;
  if (!buffer) return SetError(u"read(NULL)"), false;
  if (!can_read_) return SetError(u"Read access denied"), false;
  if (in_memory_) {
    if (memory_.size() - memory_pos_ < size_t(n)) return SetError(u"Read past end of file"), false;
    memcpy(buffer, memory_.data() + memory_pos_, size_t(n));
    memory_pos_ += size_t(n);
    return true;
  }
  if (!handle_) return SetError(u"File not open"), false;
  DWORD got = 0;
  if (!ReadFile(handle_.get(), buffer, DWORD(n), &got, nullptr)) return SetSystemError(GetLastError()), false;
  if (got != DWORD(n)) return SetError(u"Read past end of file"), false;
  return true;
}

int File::ReadUpTo(void* buffer, int n) {
  if (n <= 0) return SetError(u"Illegal block size " + Widen(std::to_string(n))), -1;
  if (!buffer) return SetError(u"NULL block pointer"), -1;
  if (!can_read_) return SetError(u"Read access denied"), -1;
  if (in_memory_) {
    size_t take = memory_.size() - memory_pos_;
    if (take > size_t(n)) take = size_t(n);
    memcpy(buffer, memory_.data() + memory_pos_, take);
    memory_pos_ += take;
    return int(take);
  }
  if (!handle_) return SetError(u"File not open"), -1;
  DWORD got = 0;
  if (!ReadFile(handle_.get(), buffer, DWORD(n), &got, nullptr)) return SetSystemError(GetLastError()), -1;
  return int(got);
}

bool File::WritePiece(const void* data, DWORD size, DWORD* written) {
  return WriteFile(handle_.get(), data, size, written, nullptr) != FALSE;
}

bool File::Write(const void* buffer, int n) {
  if (n == 0) return true;
  if (n < 0) return SetError(u"Illegal block size"), false;
  if (!buffer) return SetError(u"NULL block pointer"), false;
  if (!can_write_) return SetError(u"Write access denied"), false;
  auto bytes = static_cast<const uint8_t*>(buffer);
  if (in_memory_) {
    memory_.insert(memory_.end(), bytes, bytes + n);
    return true;
  }
  if (!handle_) return SetError(u"File not open"), false;
  // Large single writes fail on some network redirectors; 1 MiB pieces do not.
  for (int done = 0; done < n;) {
    DWORD piece = DWORD(n - done > kFileWritePiece ? kFileWritePiece : n - done);
    DWORD written = 0;
    if (!WritePiece(bytes + done, piece, &written)) return SetSystemError(GetLastError()), false;
    if (written != piece) return SetError(u"Not all data could be written"), false;
    done += int(piece);
  }
  return true;
}

bool File::Seek(int64_t offset, DWORD origin) {
  if (in_memory_) {
    int64_t base = origin == FILE_CURRENT ? int64_t(memory_pos_) : origin == FILE_END ? int64_t(memory_.size()) : 0;
    int64_t target = base + offset;
    if (target < 0 || target > int64_t(memory_.size())) {
      SetLastError(ERROR_NEGATIVE_SEEK);
      return SetError(u"Read past end of file"), false;
    }
    memory_pos_ = size_t(target);
    return true;
  }
  if (!handle_) return SetError(u"File not open"), false;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(handle_.get(), distance, nullptr, origin)) return SetSystemError(GetLastError()), false;
  return true;
}

int64_t File::Position() {
  if (in_memory_) return int64_t(memory_pos_);
  if (!handle_) return SetError(u"File not open"), -1;
  LARGE_INTEGER zero{}, position{};
  if (!SetFilePointerEx(handle_.get(), zero, &position, FILE_CURRENT)) return SetSystemError(GetLastError()), -1;
  return position.QuadPart;
}

int64_t File::Size() {
  if (in_memory_) return int64_t(memory_.size());
  if (!handle_) return SetError(u"File not open"), -1;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle_.get(), &size)) return SetSystemError(GetLastError()), -1;
  return size.QuadPart;
}

}  // namespace ks
