// A COM server for the component tests: registering it writes its path under
// a value named by its file name and counts the calls. Copied under a name
// that starts with "fallback", it reports failure, so that regsvr32 fails and
// the installer calls the entry point itself.
#include <windows.h>

#include <cwchar>

namespace {

HMODULE self;
const wchar_t kKey[] = L"Software\\Keldwick Test\\ComServer";

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return E_FAIL;
  const wchar_t* slash = std::wcsrchr(path, L'\\');
  const wchar_t* name = slash ? slash + 1 : path;
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return E_FAIL;
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(path), (n + 1) * sizeof(wchar_t));
  wchar_t calls_name[MAX_PATH + 8];
  std::swprintf(calls_name, MAX_PATH + 8, L"%ls calls", name);
  DWORD calls = 0, size = sizeof calls;
  RegQueryValueExW(key, calls_name, nullptr, nullptr, reinterpret_cast<BYTE*>(&calls), &size);
  ++calls;
  RegSetValueExW(key, calls_name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&calls), sizeof calls);
  RegCloseKey(key);
  return _wcsnicmp(name, L"fallback", 8) == 0 ? E_FAIL : S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  LONG status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
}
