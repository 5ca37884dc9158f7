// File versions from version resources, read through version.dll from the
// system folder (it is no KnownDLL: a static import would take a copy planted
// beside the installer before any of our code runs).
#include "install/file_version.h"

#include <windows.h>

#include <vector>

#include "core/library_loader.h"
#include "core/wide.h"

namespace ks {
namespace {

constexpr wchar_t kVersionDll[] = L"version.dll";

}  // namespace

std::string FileVersionText(const std::u16string& path) {
  static const auto size_of = SystemProc<decltype(&GetFileVersionInfoSizeW)>(kVersionDll, "GetFileVersionInfoSizeW");
  static const auto read = SystemProc<decltype(&GetFileVersionInfoW)>(kVersionDll, "GetFileVersionInfoW");
  static const auto query = SystemProc<decltype(&VerQueryValueW)>(kVersionDll, "VerQueryValueW");
  if (!size_of || !read || !query) return {};
  DWORD ignored = 0;
  DWORD size = size_of(W(path), &ignored);
  if (size == 0) return {};
  std::vector<uint8_t> data(size);
  if (!read(W(path), 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!query(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return {};
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

}  // namespace ks
