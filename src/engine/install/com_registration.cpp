// COM servers and type libraries.
#include "install/com_registration.h"

#include <windows.h>
#include <oleauto.h>

#include "core/crash_guard.h"
#include "core/library_loader.h"
#include "core/process.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/component_status.h"
#include "portable/overwrite_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

using RegisterServer = HRESULT(STDAPICALLTYPE*)();
using LoadTypeLibFn = HRESULT(WINAPI*)(const wchar_t* file, ITypeLib** library);
using RegisterTypeLibFn = HRESULT(WINAPI*)(ITypeLib* library, const wchar_t* full_path, const wchar_t* help_dir);

void ReportCrash(InstallSink& sink, const char* what, const std::u16string& path) {
  sink.Log("CRASHED!\r\n");
  sink.AddFailure(std::string(what) + SystemCodePage().FromWide(LastPathComponent(path), '?') + "\r\n");
}

// The server with the libraries beside it: the search path itself is
// restricted to the system folder.
HMODULE LoadServer(const wchar_t* file) {
  HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  // Systems without those flags refuse them as a parameter error.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
    module = LoadLibraryExW(file, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return module;
}

// The server's own entry point, when regsvr32 did not succeed: true when the
// library loads and exports it (what it returns is not examined).
bool CallOwnRegistration(const std::u16string& path, bool& crashed) {
  HMODULE module = nullptr;
  bool found = false;
  const wchar_t* file = W(path);
  // Loading runs the library's own start-up code: guarded as well.
  crashed = CallGuarded([&] {
              module = LoadServer(file);
              if (!module) return;
              auto entry = reinterpret_cast<RegisterServer>(
                  reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
              if (!entry) return;
              found = true;
              entry();
            }).crashed;
  // After a crash the library's state is unknown: it stays loaded.
  if (module && !crashed) FreeLibrary(module);
  return found;
}

}  // namespace

void RegisterComServers(const std::vector<std::u16string>& servers, const std::u16string& system_dir,
                        InstallSink& sink) {
  for (const std::u16string& path : servers) {
    sink.Log(Utf16ToUtf8(u"Registering COM File \"" + path + u"\"..."));
    ShowItemStatus(sink, path);
    DWORD code = Launch(u"regsvr32.exe /s \"" + path + u"\"", kLaunchWait | kLaunchHidden | kLaunchPumpWhileWaiting,
                        system_dir);
    if (code == 0) {
      sink.Log("OK\r\n");
      continue;
    }
    bool crashed = false;
    bool registered = CallOwnRegistration(path, crashed);
    if (crashed) ReportCrash(sink, "Crashed while registering COM file ", path);
    else if (registered) sink.Log("OK\r\n");
    else sink.Log("FAILED, code " + std::to_string(int(code)) + "\r\n");
  }
}

void RegisterTypeLibraries(const std::vector<std::u16string>& libraries, InstallSink& sink) {
  for (const std::u16string& path : libraries) {
    sink.Log(Utf16ToUtf8(u"Registering Type Library \"" + path + u"\"..."));
    ShowItemStatus(sink, path);
    auto load = SystemProc<LoadTypeLibFn>(L"oleaut32.dll", "LoadTypeLib");
    auto enter = SystemProc<RegisterTypeLibFn>(L"oleaut32.dll", "RegisterTypeLib");
    HRESULT result = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    bool crashed = false;
    if (load && enter) {
      const wchar_t* file = W(path);
      crashed = CallGuarded([&] {
                  ITypeLib* library = nullptr;
                  result = load(file, &library);
                  if (FAILED(result)) return;
                  result = enter(library, file, nullptr);
                  library->Release();
                }).crashed;
    }
    if (crashed) ReportCrash(sink, "Crashed while registering TLB file ", path);
    else if (SUCCEEDED(result)) sink.Log("OK\r\n");
    else sink.Log(Utf16ToUtf8(u"FAILED\r\n" + SystemErrorText(DWORD(result)) + u"\r\n"));
  }
}

}  // namespace ks
