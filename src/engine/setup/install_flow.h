// The installation run: every phase from the decoded settings to the orderly
// exit, in its fixed order, on the main thread.
#pragma once
#include "setup/setup_archive.h"
#include "ui/wizard.h"

namespace ks {

[[noreturn]] void RunInstallation(SetupArchive& archive, Wizard& wizard);

}  // namespace ks
