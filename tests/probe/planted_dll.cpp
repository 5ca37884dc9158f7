// A DLL planted beside an installer under a system library's name. Loading it
// leaves "<its own path>.loaded" behind; a call into it from the program
// itself (not from a system library) leaves "<its own path>.used".
#include <windows.h>

namespace {

HINSTANCE self;

void Mark(const wchar_t* suffix) {
  wchar_t path[MAX_PATH + 8];
  DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  lstrcpyW(path + n, suffix);
  HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
}

void MarkIfCalledByTheProgram(void* return_address) {
  HMODULE caller = nullptr;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(return_address), &caller) &&
      caller == GetModuleHandleW(nullptr))
    Mark(L".used");
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    self = instance;
    Mark(L".loaded");
  }
  return TRUE;
}

// Stand-ins for what a program could import from version.dll, so that a
// static import resolves against this copy. They fail, as for a file without
// a version resource.
extern "C" __declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR, LPDWORD handle) {
  MarkIfCalledByTheProgram(__builtin_return_address(0));
  if (handle) *handle = 0;
  SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return 0;
}

extern "C" __declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID) {
  MarkIfCalledByTheProgram(__builtin_return_address(0));
  SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return FALSE;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerQueryValueW(LPCVOID, LPCWSTR, LPVOID* value, PUINT length) {
  MarkIfCalledByTheProgram(__builtin_return_address(0));
  if (value) *value = nullptr;
  if (length) *length = 0;
  return FALSE;
}
