// Shared files at uninstall.
#include "uninstall/shared_release.h"

#include <windows.h>
#include <oleauto.h>

#include "core/crash_guard.h"
#include "core/delete_file.h"
#include "core/file_access.h"
#include "core/library_loader.h"
#include "core/process.h"
#include "core/registry_key.h"
#include "core/wide.h"
#include "portable/uninstall_rules.h"

namespace ks {
namespace {

constexpr char16_t kSharedDllsKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

std::u16string SystemFolder() {
  wchar_t buffer[MAX_PATH] = {};
  UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? U16(buffer, n) : std::u16string();
}

// regsvr32 first; when that fails, the library's own DllUnregisterServer.
void UnregisterServer(const std::u16string& path) {
  DWORD code = Launch(u"regsvr32.exe /s /u \"" + path + u"\"", kLaunchWait | kLaunchHidden, SystemFolder());
  if (code == 0) return;
  const wchar_t* file = W(path);
  HMODULE module = nullptr;
  bool crashed = CallGuarded([&] {
                   module = LoadLibraryExW(file, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
                   if (!module) return;
                   using Entry = HRESULT(STDAPICALLTYPE*)();
                   auto entry = reinterpret_cast<Entry>(
                       reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")));
                   if (entry) entry();
                 }).crashed;
  if (module && !crashed) FreeLibrary(module);
}

void UnregisterTypeLibrary(const std::u16string& path) {
  using LoadFn = HRESULT(WINAPI*)(const wchar_t*, ITypeLib**);
  using UnregisterFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
  auto load = SystemProc<LoadFn>(L"oleaut32.dll", "LoadTypeLib");
  auto unregister = SystemProc<UnregisterFn>(L"oleaut32.dll", "UnRegisterTypeLib");
  if (!load || !unregister) return;
  const wchar_t* file = W(path);
  CallGuarded([&] {
    ITypeLib* library = nullptr;
    if (FAILED(load(file, &library))) return;
    TLIBATTR* attr = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attr))) {
      unregister(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
      library->ReleaseTLibAttr(attr);
    }
    library->Release();
  });
}

}  // namespace

void ReleaseSharedFiles(const std::u16string& shared_files, const SharedReleaseCalls& calls) {
  std::vector<SharedFileEntry> entries = ParseSharedFiles(shared_files);
  if (entries.empty()) return;
  RegistryKey key;
  if (!Opened(key.Open(HKEY_LOCAL_MACHINE, kSharedDllsKey, kRegOpenOnly | kRegNoStack, kRegReadWrite))) {
    if (calls.add_failure) calls.add_failure(u"REGISTRY ERROR:  Unable to adjust shared file reference counts.\r\n\r\n");
    return;
  }
  for (const SharedFileEntry& entry : entries) {
    std::u16string text;
    DWORD type = 0;
    // Only names the SharedDLLs key counts are released.
    if (RegQueryValueExW(key.Handle(), W(entry.path), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) continue;
    DWORD count = key.ReadNumber(entry.path, 0);
    DWORD left = count > 0 ? count - 1 : 0;
    if (left == 0)
      key.DeleteValue(std::u16string_view(entry.path));
    else
      key.WriteNumber(entry.path, left, 0);
    if (left >= 1 || entry.keep_file) continue;
    if (calls.confirm_delete && PathExists(entry.path) && !calls.confirm_delete(entry.path)) continue;
    if (entry.unregister_com) UnregisterServer(entry.path);
    if (entry.unregister_typelib) UnregisterTypeLibrary(entry.path);
    if (PathExists(entry.path)) DeleteFileEx(entry.path, 0);
  }
}

}  // namespace ks
