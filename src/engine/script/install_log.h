// The installation log: the temporary UTF-8 line stream every operation writes
// to, the failure summary, and the section appended to Install.log at the end.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "core/file.h"
#include "core/process.h"
#include "portable/date_format.h"
#include "portable/text_format.h"

namespace ks {

// Entry n of the string table in the current language.
using MessageText = std::function<std::u16string(int number)>;
// A message box: returns the button pressed (IDYES, IDOK, ...).
using MessageBoxCall = std::function<int(const std::u16string& text, const std::u16string& caption, UINT flags)>;
// Starts a command line without waiting; true when it started.
using LaunchCall = std::function<bool(const std::u16string& command_line)>;

// Language-table messages the end of the log uses.
enum : int {
  kMsgFailuresShowLog = 40,
  kMsgFailuresCaption = 41,
  kMsgInstallComplete = 42,
  kMsgInstallCompleteCaption = 43,  // also the success line of the log
};

// Everything the end of the log needs from the settings and the run.
struct LogFinish {
  std::u16string product_name;
  std::u16string product_version;
  std::u16string install_folder;
  std::u16string uninstall_subdir;  // Install.log lives in the uninstall data folder
  bool earlier_installation = false;
  std::u16string old_version;
  uint32_t option_flags = 0;
  uint32_t option_flags2 = 0;
  bool silent = false;
  // The finish screen has something to offer besides the log: a program to
  // launch, a readme to view or a web page to open.
  bool finish_items = false;
  bool reboot_required = false;
  MessageText text;
  // The Summary dialog, given the option flags with the view-log offer as
  // it stands; absent: nothing is shown in its place.
  std::function<void(uint32_t option_flags2)> show_summary;
  MessageBoxCall message_box;        // absent: no box is shown
  std::optional<DateTimeParts> date; // absent: the local time now
  ShellCall shell;                   // for ShowLog; absent: the real shell
  LaunchCall launch;                 // for ShowLog's fallback; absent: Launch
};

struct LogFinishResult {
  bool written = false;        // a section was appended to the file at log_path
  // Install.log could not be written: log_path names the copy in the
  // temporary folder (or the kept stream) instead.
  bool kept_elsewhere = false;
  bool show_log = false;       // the user asked to see the log
  uint32_t option_flags2 = 0;  // with the view-log offer cleared when there is no log
  std::u16string log_path;  // where the log is to be read
};

class InstallLog {
 public:
  InstallLog() = default;
  ~InstallLog() { Discard(); }
  InstallLog(const InstallLog&) = delete;
  InstallLog& operator=(const InstallLog&) = delete;

  // Creates the temporary stream in the temporary folder. Lines written
  // before go into it first; when it cannot be created they stay in memory.
  bool Open(uint32_t option_flags = 0);
  bool Verbose() const { return verbose_; }

  // The line writers add nothing of their own: callers supply "\r\n".
  void LogText(std::u16string_view text);
  void LogText8(std::string_view text);  // code page 1252
  void LogFormat(std::u16string_view format, std::initializer_list<FormatArg> args);
  void LogFormat8(const char* format, ...) __attribute__((format(ms_printf, 2, 3)));  // the system's printf
  void LogConcat(std::initializer_list<std::u16string_view> pieces);
  void LogConcat8(std::initializer_list<std::string_view> pieces);  // code page 1252
  void LogRaw(const void* bytes, size_t size);
  void LogRaw(std::string_view bytes) { LogRaw(bytes.data(), bytes.size()); }

  // Appends a paragraph to the failure summary. 8-bit text is in the
  // system code page.
  void AddFailure(std::string_view text);
  void AddFailure(std::u16string_view text);
  // "%s %s\r\n%s\r\n\r\n": message 31, the file and the error text.
  void AddFileFailure(std::u16string_view message31, std::u16string_view path, std::u16string_view error_text);
  const std::u16string& FailureSummary() const { return summary_; }

  // The end of the log (once): the questions and the finish message when
  // interactive, the section in Install.log, ShowLog when asked for, and the
  // temporary stream deleted.
  LogFinishResult FinishLog(const LogFinish& finish, bool reinstall, bool interactive);

  // Closes and deletes the temporary stream (the exit routine); a stream
  // kept in place of an unwritable Install.log stays.
  void Discard();
  // What the stream holds so far, written or not (for tests and the crash report).
  std::string StreamText();
  const std::u16string& StreamPath() const { return stream_.Path(); }

 private:
  void Append(std::string_view utf8);
  bool Flush();
  // Appends the section, or leaves the file as it was with `error` set.
  bool AppendSection(const std::u16string& log_path, const LogFinish& finish, bool reinstall, DWORD& error);
  void KeepElsewhere(const LogFinish& finish, bool reinstall, DWORD error, LogFinishResult& result);
  bool CopyStreamTo(File& out);
  std::string ReadStream();  // what the stream object holds

  File stream_;
  std::string pending_;  // not yet in the stream file
  bool on_disk_ = false;
  bool finished_ = false;
  bool verbose_ = false;
  bool keep_stream_ = false;  // it stands in for Install.log
  std::u16string summary_;
};

// Deletes the log streams of killed runs from the temporary folder; those
// that running installers hold stay. Open does this before it makes its own.
void RemoveStaleStreams();

// Opens Install.log through the shell (working folder: the running program's
// folder); when the shell fails, starts notepad with it without waiting.
bool ShowLog(const std::u16string& log_path, const ShellCall& shell = {}, const LaunchCall& launch = {});

}  // namespace ks
