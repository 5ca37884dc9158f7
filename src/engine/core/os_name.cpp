// GatherOsFacts and OperatingSystemName.
#include "core/os_name.h"

#include <windows.h>

#include "core/library_loader.h"
#include "core/wide.h"

namespace ks {
namespace {

}  // namespace

OsFacts GatherOsFacts() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  // GetVersionExW lies to programs without a compatibility manifest from
  // Windows 8.1 on; RtlGetVersion does not.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  auto rtl_get_version = SystemProc<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
  if (!rtl_get_version || rtl_get_version(&info) != 0) {
    info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
      info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
      GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
    }
  }
  OsFacts facts;
  facts.platform_id = info.dwPlatformId;
  facts.major = info.dwMajorVersion;
  facts.minor = info.dwMinorVersion;
  // 9x keeps the version in the high word of the build number.
  facts.build = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? LOWORD(info.dwBuildNumber) : info.dwBuildNumber;
  facts.product_type = info.wProductType;
  facts.suite_mask = info.wSuiteMask;
  facts.service_pack = U16(info.szCSDVersion);

  if (facts.major >= 6) {
    using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);
    auto get_product_info = SystemProc<GetProductInfoFn>(L"kernel32.dll", "GetProductInfo");
    DWORD product = 0;
    if (get_product_info && get_product_info(facts.major, facts.minor, info.wServicePackMajor,
                                             info.wServicePackMinor, &product))
      facts.edition = product;
  }

  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  facts.is_64bit = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                   system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64 ||
                   system.wProcessorArchitecture == 12;  // PROCESSOR_ARCHITECTURE_ARM64
  if (!facts.is_64bit) {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
    auto is_wow64 = SystemProc<IsWow64ProcessFn>(L"kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    facts.is_64bit = is_wow64 && is_wow64(GetCurrentProcess(), &wow64) && wow64;
  }
  facts.r2 = GetSystemMetrics(SM_SERVERR2) != 0;
  facts.media_center = GetSystemMetrics(SM_MEDIACENTER) != 0;
  facts.starter = GetSystemMetrics(SM_STARTER) != 0;
  facts.tablet_pc = GetSystemMetrics(SM_TABLETPC) != 0;
  facts.wine = SystemProcAddress(L"ntdll.dll", "wine_get_version") != nullptr;
  return facts;
}

std::u16string OperatingSystemName(unsigned flags) { return OsNameFromFacts(GatherOsFacts(), flags); }

}  // namespace ks
