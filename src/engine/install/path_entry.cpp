// EditPath: the registry edge of the PATH entry rule.
#include "install/path_entry.h"

#include <optional>
#include <string>

#include "core/file_access.h"
#include "core/registry_key.h"
#include "core/wide.h"
#include "portable/path_entry.h"

namespace ks {
namespace {

constexpr char16_t kPathValue[] = u"Path";
constexpr UINT kBroadcastTimeoutMs = 5000;

}  // namespace

PathEdit EditPath(bool add, std::u16string_view folder) {
  RegistryKey key;
  if (!Opened(key.Open(HKEY_LOCAL_MACHINE, kEnvironmentKey, kRegNoStack | kRegOpenOnly, kRegReadWrite)))
    return PathEdit::kNoPath;
  std::u16string value;
  DWORD type = REG_NONE;
  if (!key.ReadTextValue(kPathValue, &value, &type) || value.empty()) return PathEdit::kNoPath;
  if (add && !FolderExists(folder)) return PathEdit::kFolderMissing;

  std::optional<std::u16string> edited = EditPathValue(value, folder, add);
  if (!edited) return PathEdit::kUnchanged;
  unsigned flags = kRegWideText | (type == REG_EXPAND_SZ ? unsigned(kRegExpandValue) : 0u);
  if (!key.WriteString(kPathValue, *edited, flags))
    return PathEdit::kWriteFailed;
  // Programs that are hung must not hold the installation up.
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                      SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, nullptr);
  return PathEdit::kChanged;
}

}  // namespace ks
