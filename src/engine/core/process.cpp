// Launch and OpenDocument.
#include "core/process.h"

#include <shellapi.h>

#include <vector>

#include "core/file.h"
#include "core/handle.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "portable/text.h"

namespace ks {
namespace {

DWORD PriorityClass(unsigned flags) {
  // One class only: a word with two classes in it is not what the caller meant.
  if (flags & kLaunchHighPriority) return HIGH_PRIORITY_CLASS;
  if (flags & kLaunchIdlePriority) return IDLE_PRIORITY_CLASS;
  return NORMAL_PRIORITY_CLASS;
}

void ShowLaunchError(std::u16string_view command_line, DWORD error) {
  std::u16string text = u"Unable to create process:\r\n" + std::u16string(command_line) + u"\r\n\r\n" +
                        SystemErrorText(error);
  MessageBoxW(nullptr, W(text), L"Error", MB_ICONERROR | MB_OK);
  SetLastError(error);
}

DWORD Wait(HANDLE process, unsigned flags, const MessagePump& pump) {
  if (flags & kLaunchPumpWhileWaiting) {
    while (WaitForSingleObject(process, kLaunchWaitSliceMs) == WAIT_TIMEOUT) RunPump(pump);
  } else {
    WaitForSingleObject(process, INFINITE);
  }
  DWORD code = 0;
  return GetExitCodeProcess(process, &code) ? code : kLaunchNoExitCode;
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

std::u16string ProgramFolder(std::u16string_view command_line) {
  std::u16string_view line = command_line;
  while (!line.empty() && line.front() == u' ') line.remove_prefix(1);
  std::u16string_view program;
  if (!line.empty() && line.front() == u'"') {
    line.remove_prefix(1);
    program = line.substr(0, line.find(u'"'));
  } else {
    program = line.substr(0, line.find(u' '));
  }
  size_t slash = program.find_last_of(u"\\/");
  if (slash == std::u16string_view::npos) return {};
  std::u16string folder(program.substr(0, slash == 2 && program[1] == u':' ? 3 : slash));
  DWORD attributes = GetFileAttributesW(W(folder));
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return folder;
}

DWORD Launch(std::u16string_view command_line, unsigned flags, std::u16string_view folder, DWORD* process_id,
             const MessagePump& pump) {
  if (process_id) *process_id = 0;
  if (command_line.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return kLaunchNotStarted;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  int show = -1;
  if (flags & kLaunchMaximized)
    show = SW_MAXIMIZE;
  else if (flags & kLaunchMinimized)
    show = SW_MINIMIZE;
  else if (flags & kLaunchHidden)
    show = SW_HIDE;
  if (show >= 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = WORD(show);
  }
  DWORD creation = PriorityClass(flags) | ((flags & kLaunchNewConsole) ? CREATE_NEW_CONSOLE : 0);

  std::u16string dir(folder);
  if (dir.empty() && (flags & kLaunchFolderFromProgram)) dir = ProgramFolder(command_line);
  // CreateProcessW may write into the command line, so it gets its own copy.
  std::vector<wchar_t> line(command_line.begin(), command_line.end());
  line.push_back(L'\0');

  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, (flags & kLaunchInheritHandles) ? TRUE : FALSE,
                      creation, nullptr, dir.empty() ? nullptr : W(dir), &startup, &info)) {
    DWORD error = GetLastError();
    if (flags & kLaunchErrorBox) ShowLaunchError(command_line, error);
    SetLastError(error);
    return kLaunchNotStarted;
  }
  UniqueHandle process(info.hProcess), thread(info.hThread);
  if (process_id) *process_id = info.dwProcessId;
  if (!(flags & kLaunchWait)) return kLaunchNoExitCode;
  return Wait(process.get(), flags, pump);
}

std::u16string PercentDecode(std::u16string_view text) {
  // Escapes are UTF-8 bytes; the text between them is kept as UTF-8 too so
  // that the whole decodes in one go.
  std::string bytes;
  size_t run = 0;
  bool escaped = false;
  for (size_t i = 0; i < text.size(); ++i) {
    int hi = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
    int lo = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
    if (text[i] == u'%' && hi >= 0 && lo >= 0) {
      bytes += Utf16ToUtf8(text.substr(run, i - run));
      bytes += char(hi * 16 + lo);
      i += 2;
      run = i + 1;
      escaped = true;
    }
  }
  if (!escaped) return std::u16string(text);
  bytes += Utf16ToUtf8(text.substr(run));
  bool ok = true;
  std::u16string decoded = Utf8ToUtf16(bytes, &ok);
  return ok ? decoded : std::u16string(text);
}

bool OpenDocument(std::u16string_view target, std::u16string_view parameters, std::u16string_view folder,
                  std::u16string_view verb, int show, const ShellCall& shell) {
  if (target.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  ShellRequest request{std::u16string(verb), std::u16string(target), std::u16string(parameters),
                       std::u16string(folder), show};
  constexpr std::u16string_view kFileUrl = u"file:///";
  if (StartsWithNoCase(target, kFileUrl)) {
    request.target = std::u16string(target.substr(kFileUrl.size()));
    if (GetFileAttributesW(W(request.target)) == INVALID_FILE_ATTRIBUTES) request.target = PercentDecode(request.target);
  }
  auto call = [&](const ShellRequest& r) -> intptr_t {
    if (shell) return shell(r);
    return reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, r.verb.empty() ? nullptr : W(r.verb), W(r.target),
                                                    r.parameters.empty() ? nullptr : W(r.parameters),
                                                    r.folder.empty() ? nullptr : W(r.folder), r.show));
  };
  intptr_t result = call(request);
  // A program that asks for administrator rights in its manifest is refused
  // by a plain "open"; "runas" brings up the elevation prompt.
  if (result == SE_ERR_ACCESSDENIED && (verb.empty() || EqualsNoCase(verb, u"open"))) {
    request.verb = u"runas";
    result = call(request);
  }
  if (result > 32) return true;
  if (GetLastError() == ERROR_SUCCESS) SetLastError(result == SE_ERR_ACCESSDENIED ? ERROR_ACCESS_DENIED : ERROR_GEN_FAILURE);
  return false;
}

bool OpenDocument(std::string_view target, std::string_view parameters, std::string_view folder,
                  std::string_view verb, int show) {
  return OpenDocument(PathFrom8Bit(target), PathFrom8Bit(parameters), PathFrom8Bit(folder), PathFrom8Bit(verb), show);
}

}  // namespace ks
