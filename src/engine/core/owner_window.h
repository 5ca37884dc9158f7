// Which window owns dialogs and message boxes right now: the one place the
// main window, the progress dialog and the wizard pages announce themselves,
// so that a box never opens behind them or ownerless on the taskbar.
#pragma once
#include <windows.h>

namespace ks {

// The owner for a new dialog or box: the newest live window announced by an
// OwnerScope, or null when there is none.
HWND BoxOwner();

// Makes `window` the owner of boxes for as long as the scope lives; the one
// before becomes the owner again afterwards. Scopes nest (main window, then
// progress dialog) and belong to the main thread.
class OwnerScope {
 public:
  explicit OwnerScope(HWND window);
  ~OwnerScope();
  OwnerScope(const OwnerScope&) = delete;
  OwnerScope& operator=(const OwnerScope&) = delete;

 private:
  OwnerScope* previous_;
  HWND window_;
  friend HWND BoxOwner();
};

}  // namespace ks
