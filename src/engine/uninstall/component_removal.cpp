// Components at uninstall.
#include "uninstall/component_removal.h"

#include <windows.h>

#include "core/crash_guard.h"
#include "core/delete_file.h"
#include "core/library_loader.h"
#include "core/registry_key.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "portable/path_rules.h"
#include "portable/text.h"
#include "portable/text_format.h"

namespace ks {
namespace {

constexpr char16_t kFontsKey[] = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

std::u16string FileName(std::u16string_view path) {
  size_t slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

// Deletes the Fonts values whose data names `file_name` (bare or as a path).
void DeleteFontValues(const std::u16string& file_name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(std::u16string(kFontsKey)), 0, KEY_READ | KEY_SET_VALUE, &key) !=
      ERROR_SUCCESS)
    return;
  std::vector<std::u16string> names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    wchar_t data[1024];
    DWORD name_n = 512, data_n = sizeof data, type = 0;
    LONG status = RegEnumValueW(key, i, name, &name_n, nullptr, &type, reinterpret_cast<BYTE*>(data), &data_n);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) break;
    if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
    std::u16string text = U16(data, data_n / 2);
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    if (EqualsNoCase(FileName(text), file_name)) names.push_back(U16(name, name_n));
  }
  for (const auto& name : names) RegDeleteValueW(key, W(name));
  RegCloseKey(key);
}

// "\"path\",level" or "path,level": the path.
std::u16string MsiPath(std::string_view line) {
  size_t comma = line.rfind(',');
  std::string_view path = comma == std::string_view::npos ? line : line.substr(0, comma);
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
  return WideFrom8Bit(path);
}

int MsiLevel(std::string_view line) {
  size_t comma = line.rfind(',');
  if (comma == std::string_view::npos) return 0;
  int level = 0;
  for (char c : line.substr(comma + 1))
    if (c >= '0' && c <= '9') level = level * 10 + (c - '0');
  return level;
}

}  // namespace

bool RemoveFont(const std::u16string& file_name, const std::u16string& font_folder) {
  std::u16string path = JoinPath(font_folder, file_name);
  RemoveFontResourceW(W(path));
  DeleteFontValues(file_name);
  return DeleteFileEx(path, kDeleteMissingIsSuccess);
}

std::vector<Text8> RemoveMsiPackages(const std::vector<Text8>& records,
                                     const std::function<void(const std::u16string&)>& add_failure) {
  using SetInternalUi = int(WINAPI*)(int level, HWND* owner);
  using InstallProduct = UINT(WINAPI*)(const wchar_t* package, const wchar_t* command_line);
  std::vector<Text8> failed;
  for (const Text8& record : records) {
    std::u16string path = MsiPath(record);
    auto install = SystemProc<InstallProduct>(L"msi.dll", "MsiInstallProductW");
    auto set_ui = SystemProc<SetInternalUi>(L"msi.dll", "MsiSetInternalUI");
    DWORD code = ERROR_INVALID_FUNCTION;
    if (!install) {
      code = ERROR_CALL_NOT_IMPLEMENTED;
    } else {
      const wchar_t* package = W(path);
      int level = MsiLevel(record);
      bool crashed = CallGuarded([&] {
                       HWND window = nullptr;
                       if (set_ui) set_ui(level, &window);
                       code = install(package, L"REBOOT=R REMOVE=ALL");
                     }).crashed;
      if (crashed) code = ERROR_INVALID_FUNCTION;
    }
    if (code == ERROR_SUCCESS || code == ERROR_SUCCESS_REBOOT_REQUIRED) continue;
    if (add_failure)
      add_failure(FormatText(u"Failed to uninstall %s, code %d: %s\r\n",
                             {FileName(path), int64_t(code), SystemErrorText(code)}));
    failed.push_back(record);
  }
  return failed;
}

void RemoveDriverPackages(const std::vector<Text8>& infs) {
  if (infs.empty()) return;
  using UninstallOem = BOOL(WINAPI*)(const wchar_t* inf, DWORD flags, void* reserved);
  auto uninstall = SystemProc<UninstallOem>(L"setupapi.dll", "SetupUninstallOEMInfW");
  if (!uninstall) return;
  for (const Text8& line : infs) {
    std::u16string path = WideFrom8Bit(line);
    if (path.empty()) continue;
    DWORD attributes = GetFileAttributesW(W(path));
    if (attributes != INVALID_FILE_ATTRIBUTES)
      SetFileAttributesW(W(path), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                     FILE_ATTRIBUTE_SYSTEM));
    std::u16string name = FileName(path);
    constexpr DWORD kForceDelete = 0x1;  // SUOI_FORCEDELETE
    uninstall(W(name), kForceDelete, nullptr);
  }
}

}  // namespace ks
