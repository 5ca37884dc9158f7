// The system-folder-only library loader and its process-wide module cache.
#include "core/library_loader.h"

#include <map>
#include <string>

#include "core/handle.h"

namespace ks {
namespace {

constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// One owner for every run-time library of the process; keyed by the
// upper-cased name so that "SRCLIENT.DLL" and "srclient.dll" share a module.
std::map<std::wstring, UniqueModule>& Modules() {
  static std::map<std::wstring, UniqueModule> modules;
  return modules;
}

std::wstring Key(const wchar_t* name) {
  std::wstring key(name);
  for (auto& c : key)
    if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
  return key;
}

// The LOAD_LIBRARY_SEARCH_* flags exist exactly where AddDllDirectory does
// (Windows 8, or Windows 7 with the loader update).
bool SearchFlagsSupported() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel && GetProcAddress(kernel, "AddDllDirectory");
}

// The folder of this process's system libraries: SysWOW64 for a 32-bit
// process on 64-bit Windows, a path that the file-system redirection (which
// the engine switches off for 64-bit products) never changes.
std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH];
  UINT n = GetSystemWow64DirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::wstring path(folder, n);
  if (path.back() != L'\\') path += L'\\';
  return path;
}

// By full path: a bare name resolves to any module of that name already in
// the process, wherever it came from (a copy beside the installer that a
// system library's own import pulled in).
HMODULE LoadFromSystemFolder(const wchar_t* name) {
  std::wstring path = SystemFolder();
  if (path.empty()) return nullptr;
  path += name;
  // Its own imports come from the system folder too.
  DWORD flags = SearchFlagsSupported() ? kSearchSystem32 : LOAD_WITH_ALTERED_SEARCH_PATH;
  return LoadLibraryExW(path.c_str(), nullptr, flags);
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // A bare name only: a path would defeat the point of this loader.
  for (const wchar_t* p = name; *p; ++p)
    if (*p == L'\\' || *p == L'/' || *p == L':') {
      SetLastError(ERROR_INVALID_NAME);
      return nullptr;
    }
  auto& modules = Modules();
  std::wstring key = Key(name);
  auto it = modules.find(key);
  if (it != modules.end()) return it->second.get();
  HMODULE module = LoadFromSystemFolder(name);
  if (!module) return nullptr;
  modules.emplace(std::move(key), UniqueModule(module));
  return module;
}

FARPROC SystemProcAddress(const wchar_t* name, const char* proc) {
  HMODULE module = LoadSystemLibrary(name);
  return module ? GetProcAddress(module, proc) : nullptr;
}

bool RestrictDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto set = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                          reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                    : nullptr;
  if (!set) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  return set(kSearchSystem32) != FALSE;
}

}  // namespace ks
