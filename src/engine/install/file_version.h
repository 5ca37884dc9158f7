// The version of an existing file as the overwrite rules compare it: the
// fixed file version of its version resource.
#pragma once
#include <string>

namespace ks {

// "%u.%u.%u.%u" of the file version; empty when the file has no version resource.
std::string FileVersionText(const std::u16string& path);

}  // namespace ks
