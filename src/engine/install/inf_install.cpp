// Driver INF files.
#include "install/inf_install.h"

#include <windows.h>

#include "core/crash_guard.h"
#include "core/file_access.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/component_status.h"
#include "portable/component_rules.h"
#include "portable/text.h"
#include "portable/uninstall_data.h"

namespace ks {
namespace {

using CopyOemInf = BOOL(WINAPI*)(const wchar_t* source, const wchar_t* media, DWORD media_type, DWORD style,
                                 wchar_t* destination, DWORD size, DWORD* required, wchar_t** component);
constexpr DWORD kSpostPath = 1;

// Setupapi is loaded for this step only, and only from the system folder.
struct SetupApi {
  SetupApi() {
    wchar_t folder[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    module = LoadLibraryExW(W(U16(folder) + u"\\Setupapi.dll"), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  ~SetupApi() {
    if (module) FreeLibrary(module);
  }
  SetupApi(const SetupApi&) = delete;
  SetupApi& operator=(const SetupApi&) = delete;
  HMODULE module = nullptr;
};

}  // namespace

void InstallInfFiles(const std::vector<std::u16string>& infs, InstallSink& sink, std::vector<Text8>& drivers) {
  SetupApi setupapi;
  if (!setupapi.module) {
    sink.Log("Cannot install INF files...unable to open Setupapi.dll\r\n");
    return;
  }
  auto copy = reinterpret_cast<CopyOemInf>(
      reinterpret_cast<void*>(GetProcAddress(setupapi.module, "SetupCopyOEMInfW")));
  if (!copy) {
    sink.Log("Cannot install INF files...unable to link to SetupCopyOEMInf()\r\n");
    return;
  }
  sink.Log("\r\n");
  for (const std::u16string& path : infs) {
    ShowItemStatus(sink, path);
    sink.Log(Utf16ToUtf8(u"Installing driver \"" + path + u"\"..."));
    wchar_t name[MAX_PATH] = {};
    BOOL copied = FALSE;
    DWORD error = 0;
    const wchar_t* source = W(path);
    GuardedCall call = CallGuarded([&] {
      copied = copy(source, nullptr, kSpostPath, 0, name, MAX_PATH, nullptr, nullptr);
      if (!copied) error = GetLastError();
    });
    if (call.crashed) {
      sink.Log("CRASHED!\r\n");
      continue;
    }
    if (!copied) {
      sink.Log(Utf16ToUtf8(InfFailureLine(error, SystemErrorText(error))));
      continue;
    }
    name[MAX_PATH - 1] = 0;
    std::u16string final_name = U16(name);
    if (final_name.empty()) {
      sink.Log("OK, but resulting filepath is unknown\r\n");
      continue;
    }
    sink.Log(Utf16ToUtf8(u"OK\r\nFinal driver location: " + final_name + u"\r\n"));
    drivers.push_back(EightBitPath(FullPath(final_name)));
  }
}

}  // namespace ks
