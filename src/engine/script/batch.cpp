// RunBatch and the command interpreter's path.
#include "script/batch.h"

#include <windows.h>
#include <shlobj.h>

#include "core/file.h"
#include "core/file_access.h"
#include "core/library_loader.h"
#include "core/os_name.h"
#include "core/process.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "portable/path_rules.h"
#include "portable/text.h"
#include "portable/variables.h"
#include "script/folder_variables.h"

namespace ks {
namespace {

bool ContainsNoCase(std::u16string_view text, std::u16string_view part) {
  for (size_t i = 0; i + part.size() <= text.size(); ++i)
    if (EqualsNoCase(text.substr(i, part.size()), part)) return true;
  return false;
}

std::u16string SystemX86Folder() {
  using Fn = BOOL(WINAPI*)(HWND, wchar_t*, int, BOOL);
  static const auto get = SystemProc<Fn>(L"shell32.dll", "SHGetSpecialFolderPathW");
  wchar_t buffer[MAX_PATH] = {};
  if (get && get(nullptr, buffer, CSIDL_SYSTEMX86, FALSE) && buffer[0]) return U16(buffer);
  UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? U16(buffer, n) : JoinPath(WindowsFolder(), u"System32");
}

bool ReadWholeFile(const std::u16string& path, std::string& bytes) {
  File file;
  if (file.Open(path, kOpenExisting | kOpenNoWrite | kOpenShareRead | kOpenShareWrite) != FileError::kOk) return false;
  char buffer[16384];
  for (;;) {
    int n = file.ReadUpTo(buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) return true;
    bytes.append(buffer, size_t(n));
  }
}

// Logs a failure with "\r\n" and shows it first unless silent.
void ReportFailure(const BatchContext& context, const std::u16string& text) {
  if (!context.silent && context.show_error) context.show_error(text, u"Error", MB_OK | MB_ICONERROR);
  context.log->LogText(text + u"\r\n");
}

std::u16string FailureText(const char16_t* what, const std::u16string& path, DWORD error) {
  return std::u16string(what) + u" \"" + path + u"\".\r\n\r\n" + SystemErrorText(error);
}

}  // namespace

// UTF-8 batches need XP or later; older systems get code page 1252.
bool Utf8Batches() {
  OsFacts os = GatherOsFacts();
  return os.platform_id == VER_PLATFORM_WIN32_NT && (os.major > 5 || (os.major == 5 && os.minor >= 1));
}

std::u16string ShortPath(const std::u16string& path) {
  DWORD n = GetShortPathNameW(W(path), nullptr, 0);
  if (n == 0) return path;
  std::u16string buffer(n, u'\0');
  DWORD got = GetShortPathNameW(W(path), reinterpret_cast<wchar_t*>(buffer.data()), n);
  if (got == 0 || got >= n) return path;
  buffer.resize(got);
  return buffer;
}

std::u16string CommandInterpreter() {
  std::u16string comspec = u"%comspec%";
  if (ExpandEnvironment(comspec) && !comspec.empty() && !ContainsNoCase(comspec, u"%comspec%")) return comspec;
  OsFacts os = GatherOsFacts();
  if (os.platform_id == VER_PLATFORM_WIN32_WINDOWS && os.major == 4)
    return JoinPath(WindowsFolder(), u"command.com");
  return JoinPath(SystemX86Folder(), u"cmd.exe");
}

bool RunBatch(const BatchContext& context, std::string_view text, std::u16string_view title, bool hidden) {
  if (text.empty()) return true;
  InstallLog& log = *context.log;
  if (!title.empty()) log.LogConcat({u"\r\nRunning ", title, u"...\r\n"});

  std::u16string interpreter = CommandInterpreter();
  if (!PathExists(interpreter)) {
    log.LogConcat({u"The CLI ", interpreter, u" does not exist!\r\n"});
    return false;
  }

  std::string bytes = ComposeBatchFile(text, context.silent || hidden, context.value, Utf8Batches());

  std::u16string folder = FolderExists(context.install_dir) ? context.install_dir : context.value(kVarTemp);
  std::u16string batch_path = JoinPath(folder, kBatchFileName);
  {
    File file;
    bool opened = file.Open(batch_path, kOpenCreateAlways | kOpenNoRead) == FileError::kOk;
    if (!opened || !file.Write(bytes.data(), int(bytes.size()))) {
      DWORD error = GetLastError();
      file.Close();
      if (opened) DeleteFileW(W(batch_path));  // leave no partial batch behind
      ReportFailure(context, FailureText(u"Unable to create batch file", batch_path, error));
      return false;
    }
  }

  std::u16string capture_path;
  if (!title.empty()) {
    std::u16string path = JoinPath(folder, kBatchCaptureName);
    File capture;
    if (capture.Open(path, kOpenCreateAlways | kOpenNoRead) != FileError::kOk)
      log.LogConcat({u"Failed to create batch output capture file.  ", capture.LastErrorText(), u"\r\n"});
    else
      capture_path = path;
  }

  std::u16string command = BatchCommandLine(interpreter, ShortPath(batch_path),
                                            capture_path.empty() ? u"" : ShortPath(capture_path));
  unsigned flags = kLaunchWait | kLaunchPumpWhileWaiting | (hidden ? unsigned(kLaunchHidden) : 0u);
  bool started = Launch(command, flags, folder, nullptr, context.pump) != kLaunchNotStarted;
  if (!started) {
    DWORD error = GetLastError();
    ReportFailure(context, FailureText(u"Unable to launch batch file", batch_path, error));
  } else if (!capture_path.empty()) {
    std::string captured;
    if (ReadWholeFile(capture_path, captured)) {
      std::string logged = CapturedOutputForLog(captured);
      if (!logged.empty()) log.LogRaw(logged);
    }
  }

  if (!capture_path.empty()) DeleteFileW(W(capture_path));
  DeleteFileW(W(batch_path));
  return started;
}

}  // namespace ks
