// The fatal messages of the archive: the numbered corrupt-installer message
// and the engine-version message.
#pragma once
#include <string>

namespace ks {

// Message 13 of the installer's texts once they are loaded (and not empty),
// else the fixed English text; both end in the code.
[[noreturn]] void CorruptInstaller(int code);
[[noreturn]] void VersionMismatch(const std::string& found_version);

}  // namespace ks
