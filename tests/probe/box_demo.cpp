// A test program for the UI probe: shows message boxes and exits with the
// buttons pressed, so the probe's self-test checks reading and clicking for real.
//
//   box_demo [--type N] TEXT CAPTION [[--type N] TEXT CAPTION]...
//       one MessageBoxW per TEXT/CAPTION pair ("\r", "\n", "\t" escapes are
//       expanded), MB type N (default MB_OK); the exit code holds the pressed
//       ids as hexadecimal digits, the first box's highest.
//   box_demo --child COMMAND LINE...
//       starts COMMAND LINE as a child process, waits, returns its exit code.
#include <windows.h>

#include <string>

namespace {

std::wstring Unescape(const wchar_t* s) {
  std::wstring r;
  for (; *s; ++s) {
    if (s[0] == L'\\' && s[1]) {
      switch (s[1]) {
        case L'r': r += L'\r'; ++s; continue;
        case L'n': r += L'\n'; ++s; continue;
        case L't': r += L'\t'; ++s; continue;
        default: break;
      }
    }
    r += *s;
  }
  return r;
}

int RunChild(int argc, wchar_t** argv) {
  std::wstring line;
  for (int i = 2; i < argc; ++i) {
    if (i > 2) line += L' ';
    line += argv[i];
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 250;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 251;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return int(code);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  int argc = __argc;
  wchar_t** argv = __wargv;
  if (argc >= 3 && std::wstring(argv[1]) == L"--child") return RunChild(argc, argv);
  int code = 0;
  UINT type = MB_OK;
  for (int i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--type" && i + 1 < argc) {
      type = wcstoul(argv[++i], nullptr, 0);
      continue;
    }
    if (i + 1 >= argc) return 252;
    std::wstring text = Unescape(argv[i]);
    std::wstring caption = Unescape(argv[++i]);
    code = code * 16 + MessageBoxW(nullptr, text.c_str(), caption.c_str(), type);
    type = MB_OK;
  }
  return code;
}
