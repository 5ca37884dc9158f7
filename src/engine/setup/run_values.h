// The installation's values as the folder variables see them, and the
// expansion every path and command of the settings goes through.
#pragma once
#include <string>

#include "script/folder_variables.h"

namespace ks {

InstallValues CurrentInstallValues();
std::u16string Expand(std::u16string text);
std::string Expand8(std::string text);

}  // namespace ks
