// File versions from version resources.
#include "install/file_version.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "core/wide.h"

namespace ks {

std::string FileVersionText(const std::u16string& path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(W(path), &ignored);
  if (size == 0) return {};
  std::vector<uint8_t> data(size);
  if (!GetFileVersionInfoW(W(path), 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return {};
  char text[64];
  snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned(HIWORD(info->dwFileVersionMS)),
           unsigned(LOWORD(info->dwFileVersionMS)), unsigned(HIWORD(info->dwFileVersionLS)),
           unsigned(LOWORD(info->dwFileVersionLS)));
  return text;
}

}  // namespace ks
