// Process start for the builder: posix_spawn on Linux, CreateProcessW on Windows.
#include "run_program.h"

#ifdef _WIN32
#include <windows.h>

#include "portable/text.h"
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace ks::builder {

#ifdef _WIN32
namespace {

// One argument quoted the way the C run-time's parser splits it again.
std::u16string Quote(const std::string& arg) {
  std::u16string wide = Utf8ToUtf16(arg), out = u"\"";
  size_t slashes = 0;
  for (char16_t c : wide) {
    if (c == u'\\') {
      ++slashes;
      continue;
    }
    out.append(c == u'"' ? slashes * 2 + 1 : slashes, u'\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, u'\\');
  return out + u"\"";
}

}  // namespace

int RunProgram(const std::vector<std::string>& argv, std::string& output) {
  std::u16string command;
  for (const std::string& arg : argv) command += (command.empty() ? u"" : u" ") + Quote(arg);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return -1;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = write_end;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  BOOL started = CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(command.data()), nullptr, nullptr, TRUE,
                                CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  CloseHandle(write_end);
  if (!started) {
    CloseHandle(read_end);
    return -1;
  }
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(read_end, buffer, sizeof buffer, &n, nullptr) && n > 0) output.append(buffer, n);
  CloseHandle(read_end);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return static_cast<int>(code);
}

#else

int RunProgram(const std::vector<std::string>& argv, std::string& output) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return -1;
  }
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace ks::builder
