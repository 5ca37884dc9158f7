// The installer's main window (created between settings fields 7 and 8).
#include "ui/main_window.h"

namespace ks {

void CreateMainWindow(const Settings&) {
  // The full-screen window is not drawn yet: installs run without it.
}

}  // namespace ks
