// A test program that holds something another process needs: a file opened
// without sharing, or a named mutex owned, until the test releases it.
//
//   hold_file [--mutex] TARGET READY RELEASE [TIMEOUT_MS]
//       opens the file TARGET with share mode 0 (or, with --mutex, creates and
//       owns the mutex named TARGET), then creates the file READY and waits
//       until the file RELEASE exists or TIMEOUT_MS (default 60000) passed.
//       Exit code: 0 released, 2 timed out, 1 TARGET could not be taken (the
//       system error is printed and READY is not created).
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr DWORD kPollMs = 20;

// Closes a handle when the holder ends.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int first = 1;
  bool mutex = argc > 1 && std::wcscmp(argv[1], L"--mutex") == 0;
  if (mutex) ++first;
  if (argc - first < 3) {
    std::fwprintf(stderr, L"usage: hold_file [--mutex] TARGET READY RELEASE [TIMEOUT_MS]\n");
    return 1;
  }
  const wchar_t* target = argv[first];
  const wchar_t* ready = argv[first + 1];
  const wchar_t* release = argv[first + 2];
  DWORD timeout = argc - first > 3 ? DWORD(std::wcstoul(argv[first + 3], nullptr, 10)) : 60000;

  Handle held(mutex ? CreateMutexW(nullptr, TRUE, target)
                    : CreateFileW(target, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held.valid() || (mutex && GetLastError() == ERROR_ALREADY_EXISTS)) {
    std::fwprintf(stderr, L"hold_file: cannot take %ls: error %lu\n", target, GetLastError());
    return 1;
  }
  Handle marker(CreateFileW(ready, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!marker.valid()) {
    std::fwprintf(stderr, L"hold_file: cannot create %ls: error %lu\n", ready, GetLastError());
    return 1;
  }
  for (DWORD waited = 0; waited < timeout; waited += kPollMs) {
    if (Exists(release)) return 0;
    Sleep(kPollMs);
  }
  return 2;
}
