// A COM server for the component tests: registering it writes a registry
// value naming the DLL, unregistering removes the key again.
#include <windows.h>

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
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return E_FAIL;
  LONG status = RegSetValueExW(key, L"Registered", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                               (n + 1) * sizeof(wchar_t));
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  LONG status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
}
