// Message boxes of the installer.
#include "ui/message_box.h"

#include "core/owner_window.h"
#include "core/wide.h"

namespace ks {

int ShowMessageBox(const std::u16string& text, const std::u16string& caption, UINT flags, HWND owner) {
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  const std::u16string& title = caption.empty() ? std::u16string(kEngineName) : caption;
  return MessageBoxW(owner ? owner : BoxOwner(), W(text), W(title), flags);
}

}  // namespace ks
