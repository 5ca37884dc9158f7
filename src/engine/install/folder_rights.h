// The directory-rights step: full access for Everyone to a folder, inherited
// by everything that is or will be created below it.
#pragma once
#include <string_view>

namespace ks {

// 0 on success; ERROR_PATH_NOT_FOUND (3) when the folder does not exist;
// otherwise the Win32 error of reading or writing the folder's rights.
[[nodiscard]] unsigned long GrantFolderRights(std::u16string_view folder);

}  // namespace ks
