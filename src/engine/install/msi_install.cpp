// Installing an MSI package.
#include "install/msi_install.h"

#include "core/crash_guard.h"
#include "core/library_loader.h"
#include "core/wide.h"

namespace ks {

namespace {

using SetInternalUi = int(WINAPI*)(int level, HWND* owner);
using InstallProduct = UINT(WINAPI*)(const wchar_t* package, const wchar_t* command_line);

}  // namespace

DWORD InstallMsiPackage(const std::u16string& path, uint32_t ui_level, HWND owner) {
  auto install = SystemProc<InstallProduct>(L"msi.dll", "MsiInstallProductW");
  if (!install) return ERROR_CALL_NOT_IMPLEMENTED;
  auto set_ui = SystemProc<SetInternalUi>(L"msi.dll", "MsiSetInternalUI");
  DWORD result = kMsiCrashed;
  const wchar_t* package = W(path);
  GuardedCall call = CallGuarded([&] {
    HWND window = owner;
    if (set_ui) set_ui(int(ui_level), &window);
    result = install(package, L"REBOOT=R");
  });
  return call.crashed ? kMsiCrashed : result;
}

}  // namespace ks
