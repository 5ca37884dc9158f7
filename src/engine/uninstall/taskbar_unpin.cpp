// UnpinTaskbarItems: the shell verb on each pinned shortcut the product recorded.
#include "uninstall/taskbar_unpin.h"

#include <windows.h>
#include <shellapi.h>

#include "core/crash_guard.h"
#include "core/wide.h"
#include "portable/uninstall_rules.h"

namespace ks {

void UnpinTaskbarItems(const std::vector<Text8>& items) {
  for (const Text8& item : items) {
    if (item.empty() || item[0] == '~' || item[0] == '!') continue;
    std::u16string path = WideFrom8Bit(item);
    if (!IsTaskbarPinItem(path) || GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES) continue;
    // The verb runs the shell's own handlers: a crash in there must not stop
    // the removal, and a failed unpin leaves the file to the main section.
    CallGuarded([&] { ShellExecuteW(nullptr, L"taskbarunpin", W(path), nullptr, nullptr, SW_HIDE); });
  }
}

}  // namespace ks
