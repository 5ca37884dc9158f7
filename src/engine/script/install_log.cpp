// The installation log: line writers, failure summary, FinishLog and ShowLog.
#include "script/install_log.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "core/os_name.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "portable/file_errors.h"
#include "portable/install_log_text.h"
#include "portable/settings.h"
#include "portable/text.h"

namespace ks {
namespace {

// Lines collect in memory up to this size before they go to the stream:
// an installation of thousands of small files logs a line or two for each.
constexpr size_t kPendingLimit = 64 * 1024;
constexpr int kCopyPiece = 64 * 1024;
// An old log larger than this is not read whole for conversion.
constexpr int64_t kMaxOldLogSize = 256 * 1024 * 1024;

bool WriteText(File& file, std::string_view bytes) { return file.Write(bytes.data(), int(bytes.size())); }

DateTimeParts LocalTimeNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::u16string RunningProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::u16string path = U16(buffer.data(), n);
      size_t slash = path.find_last_of(u"\\/");
      return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

// Rewrites an old 1252 log as UTF-8 with the mark through a temporary file
// beside it, so that a failed write never leaves half a conversion behind.
bool ReplaceWithConverted(const std::u16string& log_path, std::string_view old_text) {
  File temp;
  if (temp.Open(log_path, kOpenCreateNew | NameSource(kNameTempBesidePath)) != FileError::kOk) return false;
  std::u16string temp_path = temp.Path();
  bool ok = WriteText(temp, ConvertOldLog(old_text));
  temp.Close();
  if (ok) ok = MoveFileExW(W(temp_path), W(log_path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  if (!ok) {
    DWORD error = GetLastError();
    DeleteFileW(W(temp_path));
    SetLastError(error);
  }
  return ok;
}

constexpr int kStreamNameTries = 100;

// A new stream in the temporary folder under a name of its own kind. It is
// opened without sharing: while its run lives nobody else can delete it.
bool OpenStream(File& stream) {
  const std::u16string folder = TempFolder();
  for (int tries = 0; tries < kStreamNameTries; ++tries) {
    uint32_t unique = GetTickCount() * 7919u + GetCurrentProcessId() * 40503u + uint32_t(tries);
    if (stream.Open(folder + LogStreamName(unique), kOpenCreateNew) == FileError::kOk) return true;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

}  // namespace

// A run that was killed leaves its stream behind. A stream that a running
// installer still writes is open without sharing, so its deletion fails with
// a sharing violation and it stays; only streams nobody holds go.
void RemoveStaleStreams() {
  const std::u16string folder = TempFolder();
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(W(folder + u"OQTL*.tmp"), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::u16string name = U16(found.cFileName);
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsLogStreamName(name))
      DeleteFileW(W(folder + name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool InstallLog::Open(uint32_t option_flags) {
  verbose_ = (option_flags & kOptVerboseLog) != 0;
  std::string early = std::move(pending_);  // lines logged before the stream existed
  Discard();
  pending_ = std::move(early);
  finished_ = false;
  keep_stream_ = false;
  RemoveStaleStreams();
  bool on_disk = OpenStream(stream_);
  // Without a temporary file the lines stay in memory: the log must not be
  // lost because the temporary folder is full.
  if (!on_disk) stream_.OpenMemory();
  on_disk_ = on_disk;
  Flush();
  return on_disk;
}

void InstallLog::Append(std::string_view utf8) {
  pending_.append(utf8);
  if (pending_.size() >= kPendingLimit) Flush();
}

bool InstallLog::Flush() {
  if (pending_.empty()) return true;
  if (!stream_.IsOpen()) return false;
  int64_t before = on_disk_ ? stream_.Position() : 0;
  if (!WriteText(stream_, pending_)) {
    // A full disk must not lose what is already logged: go on in memory.
    std::string kept = ReadStream();
    if (before >= 0 && kept.size() > uint64_t(before)) kept.resize(size_t(before));
    kept += pending_;
    std::u16string path = stream_.Path();
    stream_.Close();
    DeleteFileW(W(path));
    stream_.OpenMemory(std::vector<uint8_t>(kept.begin(), kept.end()));
    stream_.Seek(0, FILE_END);
    on_disk_ = false;
  }
  pending_.clear();
  return true;
}

void InstallLog::LogText(std::u16string_view text) { Append(LogUtf8(text)); }

void InstallLog::LogText8(std::string_view text) { Append(LogUtf8From1252(text)); }

void InstallLog::LogFormat(std::u16string_view format, std::initializer_list<FormatArg> args) {
  LogText(FormatText(format, args));
}

constexpr size_t kMaxLogFormatText = size_t(1) << 24;

void InstallLog::LogFormat8(const char* format, ...) {
  // The system's formatter, in a buffer that doubles until the text fits. The
  // C library's own would bring its floating-point machinery into the engine.
  std::string text;
  for (size_t size = 256; format; size *= 2) {
    text.resize(size);
    va_list args;
    va_start(args, format);
    int n = _vsnprintf(text.data(), size, format, args);
    va_end(args);
    if (n >= 0 && size_t(n) < size) {
      text.resize(size_t(n));
      break;
    }
    if (size >= kMaxLogFormatText) {  // a format the system cannot fill
      text.clear();
      break;
    }
  }
  LogText8(text);
}

void InstallLog::LogConcat(std::initializer_list<std::u16string_view> pieces) {
  std::u16string text;
  for (std::u16string_view piece : pieces) text += piece;
  LogText(text);
}

void InstallLog::LogConcat8(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (std::string_view piece : pieces) text += piece;
  LogText8(text);
}

void InstallLog::LogRaw(const void* bytes, size_t size) {
  if (bytes && size) Append(std::string_view(static_cast<const char*>(bytes), size));
}

void InstallLog::AddFailure(std::string_view text) { summary_ += SystemCodePage().ToWide(text); }

// Kept as UTF-16 so that a path outside the system code page reaches the log
// intact; 8-bit paragraphs come out exactly as the system code page reads them.
void InstallLog::AddFailure(std::u16string_view text) { summary_ += text; }

void InstallLog::AddFileFailure(std::u16string_view message31, std::u16string_view path,
                                std::u16string_view error_text) {
  AddFailure(FileFailureParagraph(message31, path, error_text));
}

std::string InstallLog::ReadStream() {
  if (!stream_.IsOpen()) return {};
  if (!on_disk_) {
    const std::vector<uint8_t>& data = stream_.MemoryData();
    return std::string(data.begin(), data.end());
  }
  std::string text;
  if (!stream_.Seek(0, FILE_BEGIN)) return text;
  std::vector<char> buffer(kCopyPiece);
  for (int got; (got = stream_.ReadUpTo(buffer.data(), kCopyPiece)) > 0;) text.append(buffer.data(), size_t(got));
  stream_.Seek(0, FILE_END);
  return text;
}

std::string InstallLog::StreamText() {
  Flush();
  return ReadStream() + pending_;
}

bool InstallLog::CopyStreamTo(File& out) {
  Flush();
  if (!on_disk_) return WriteText(out, ReadStream() + pending_);
  if (!stream_.Seek(0, FILE_BEGIN)) return false;
  bool ok = true;
  std::vector<char> buffer(kCopyPiece);
  for (int got; (got = stream_.ReadUpTo(buffer.data(), kCopyPiece)) != 0;) {
    if (got < 0) return false;
    ok = out.Write(buffer.data(), got) && ok;
  }
  stream_.Seek(0, FILE_END);
  return ok;
}

void InstallLog::Discard() {
  pending_.clear();
  if (!stream_.IsOpen()) return;
  std::u16string path = on_disk_ && !keep_stream_ ? stream_.Path() : std::u16string();
  stream_.Close();
  on_disk_ = false;
  if (!path.empty()) DeleteFileW(W(path));
}

bool InstallLog::AppendSection(const std::u16string& log_path, const LogFinish& f, bool reinstall, DWORD& error) {
  error = ERROR_SUCCESS;
  auto fail = [&error]() {
    error = GetLastError() ? GetLastError() : DWORD(ERROR_WRITE_FAULT);
    return false;
  };
  const bool existed = GetFileAttributesW(W(log_path)) != INVALID_FILE_ATTRIBUTES;
  File log;
  if (log.Open(log_path, kOpenAlways | kOpenShareRead) != FileError::kOk) return fail();
  int64_t size = log.Size();
  if (size < 0) return fail();
  if (size > 0) {
    char head[3] = {};
    int got = log.ReadUpTo(head, int(sizeof head));
    if (got < 0) return fail();
    if (!StartsWithUtf8Bom(std::string_view(head, size_t(got))) && size <= kMaxOldLogSize) {
      std::string old(size_t(size), '\0');
      if (!log.Seek(0, FILE_BEGIN) || !log.ReadExact(old.data(), int(size))) return fail();
      log.Close();
      // When the conversion cannot be written the section still goes at the
      // end of the old text: a log in two encodings beats a lost section.
      ReplaceWithConverted(log_path, old);
      if (log.Open(log_path, kOpenAlways | kOpenShareRead) != FileError::kOk) return fail();
      size = log.Size();
      if (size < 0) return fail();
    }
  }
  if (!log.Seek(0, FILE_END)) return fail();

  LogHeader header;
  header.product_name = f.product_name;
  header.date = f.date ? *f.date : LocalTimeNow();
  header.creates_uninstaller = (f.option_flags & kOptUninstaller) != 0;
  header.reinstall = reinstall;
  header.install_folder = f.install_folder;
  header.product_version = f.product_version;
  header.earlier_installation = f.earlier_installation;
  header.old_version = f.old_version;
  header.os_name = OperatingSystemName();

  SetLastError(ERROR_SUCCESS);
  std::u16string success = f.text ? f.text(kMsgInstallCompleteCaption) : std::u16string();
  bool ok = WriteText(log, LogSectionLead(size == 0)) && WriteText(log, LogHeaderText(header)) &&
            CopyStreamTo(log) && WriteText(log, "\r\n") && WriteText(log, LogTailText(summary_, success));
  if (ok) return true;
  // Half a section is worse than none: a full disk leaves the file as it was.
  fail();
  if (existed && log.Seek(size, FILE_BEGIN)) SetEndOfFile(log.Handle());
  log.Close();
  if (!existed) DeleteFileW(W(log_path));
  return false;
}

// Install.log could not be written: the section goes to a copy in the
// temporary folder instead; when even that fails, the stream itself stays.
void InstallLog::KeepElsewhere(const LogFinish& f, bool reinstall, DWORD error, LogFinishResult& result) {
  LogText(u"Install.log could not be written to \"" + result.log_path + u"\": " + SystemErrorText(error) + u"\r\n");
  std::u16string copy = TempFolder() + FallbackLogName(f.product_name);
  DWORD copy_error = ERROR_SUCCESS;
  if (AppendSection(copy, f, reinstall, copy_error)) {
    result.written = true;
    result.log_path = copy;
    return;
  }
  if (!on_disk_ || !Flush() || !on_disk_) return;
  // The lines without header or summary still tell what happened. Under the
  // copy's name it outlives the next run's clean-up of stale streams.
  std::u16string stream_path = stream_.Path();
  keep_stream_ = true;
  stream_.Close();
  result.log_path = MoveFileW(W(stream_path), W(copy)) ? copy : stream_path;
}

LogFinishResult InstallLog::FinishLog(const LogFinish& f, bool reinstall, bool interactive) {
  LogFinishResult result;
  result.option_flags2 = f.option_flags2;
  result.log_path = InstallLogPath(f.install_folder, f.uninstall_subdir);
  // The crash handler may come after a finished log; one section per run.
  if (finished_) return result;
  finished_ = true;

  auto text = [&](int number) { return f.text ? f.text(number) : std::u16string(); };
  auto box = [&](const std::u16string& body, const std::u16string& caption, UINT flags) {
    return f.message_box ? f.message_box(body, caption, flags) : 0;
  };

  // Written before the questions, so that they name the file that exists.
  if ((f.option_flags & kOptWriteLog) || !summary_.empty()) {
    DWORD error = ERROR_SUCCESS;
    result.written = AppendSection(result.log_path, f, reinstall, error);
    if (!result.written) {
      KeepElsewhere(f, reinstall, error, result);
      result.kept_elsewhere = result.log_path != InstallLogPath(f.install_folder, f.uninstall_subdir);
    }
  }
  if (interactive && !summary_.empty() && !f.silent) {
    std::u16string question = FormatText(text(kMsgFailuresShowLog), {std::u16string_view(result.log_path)});
    result.show_log = box(question, text(kMsgFailuresCaption), MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
  if (interactive && summary_.empty() && !f.silent && !(f.option_flags & kOptNoFinishMessage)) {
    // No log file, nothing to view.
    if (!(f.option_flags & kOptWriteLog)) result.option_flags2 &= ~uint32_t(kOpt2OfferLog);
    bool offers = f.finish_items || (result.option_flags2 & kOpt2OfferLog);
    if (!offers || f.reboot_required)
      box(text(kMsgInstallComplete), text(kMsgInstallCompleteCaption), MB_OK | MB_ICONINFORMATION);
    else if (f.show_summary)
      f.show_summary(result.option_flags2);
  }
  if (result.show_log) ShowLog(result.log_path, f.shell, f.launch);
  Discard();
  return result;
}

bool ShowLog(const std::u16string& log_path, const ShellCall& shell, const LaunchCall& launch) {
  if (OpenDocument(log_path, {}, RunningProgramFolder(), {}, SW_SHOWNORMAL, shell)) return true;
  std::u16string command = u"notepad.exe \"" + log_path + u"\"";
  if (launch) return launch(command);
  return Launch(command, 0) != kLaunchNotStarted;
}

}  // namespace ks
