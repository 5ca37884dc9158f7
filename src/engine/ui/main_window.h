// The installer's main window. For now only the point in the start-up where
// it is created; the window itself arrives with the wizard.
#pragma once
#include "portable/settings.h"

namespace ks {

void CreateMainWindow(const Settings& settings);

}  // namespace ks
