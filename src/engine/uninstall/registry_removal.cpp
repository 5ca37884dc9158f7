// Registry removal for the uninstaller.
#include "uninstall/registry_removal.h"

#include <string>
#include <vector>

#include "core/library_loader.h"
#include "core/wide.h"

namespace ks {
namespace {

// RegDeleteKeyExW chooses the view; systems without it have one view only.
LONG DeleteOneKey(HKEY root, const std::u16string& subkey, REGSAM view) {
  using Fn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
  static const auto del = SystemProc<Fn>(L"advapi32.dll", "RegDeleteKeyExW");
  if (del) return del(root, W(subkey), view, 0);
  return RegDeleteKeyW(root, W(subkey));
}

LONG DeleteTree(HKEY root, const std::u16string& subkey, REGSAM view, int depth) {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExW(root, W(subkey), 0, KEY_READ | view, &key);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  std::vector<std::u16string> children;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD n = 256;
    if (RegEnumKeyExW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.push_back(U16(name, n));
  }
  RegCloseKey(key);
  LONG first = ERROR_SUCCESS;
  if (depth < 64)
    for (const auto& child : children) {
      LONG s = DeleteTree(root, subkey + u"\\" + child, view, depth + 1);
      if (s != ERROR_SUCCESS && first == ERROR_SUCCESS) first = s;
    }
  status = DeleteOneKey(root, subkey, view);
  if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
  return first != ERROR_SUCCESS ? first : status;
}

}  // namespace

bool DeleteKeyTree(HKEY root, std::u16string_view subkey, REGSAM view) {
  if (subkey.empty()) return SetLastError(ERROR_BAD_PATHNAME), false;
  LONG status = DeleteTree(root, std::u16string(subkey), view, 0);
  SetLastError(DWORD(status));
  return status == ERROR_SUCCESS;
}

bool DeleteKeyIfEmpty(HKEY root, std::u16string_view subkey, REGSAM view) {
  if (subkey.empty()) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, W(std::u16string(subkey)), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  DWORD keys = 0, values = 0;
  LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr,
                                 nullptr, nullptr);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || keys || values) return false;
  return DeleteOneKey(root, std::u16string(subkey), view) == ERROR_SUCCESS;
}

}  // namespace ks
