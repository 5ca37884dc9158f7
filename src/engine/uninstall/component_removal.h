// Components at uninstall: fonts, Windows Installer packages and driver
// packages the installation added.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "portable/uninstall_data.h"

namespace ks {

// Removes a font: its resource, its value under the Fonts key (the value whose
// data names the file) and the file in `font_folder`. True when the file went.
bool RemoveFont(const std::u16string& file_name, const std::u16string& font_folder);

// Removes each [MSI] record's package; returns the records whose removal
// failed, and reports each failure line through `add_failure`.
std::vector<Text8> RemoveMsiPackages(const std::vector<Text8>& records,
                                     const std::function<void(const std::u16string&)>& add_failure);

// Uninstalls each [INF] driver package by its file name, forcing the deletion.
void RemoveDriverPackages(const std::vector<Text8>& infs);

}  // namespace ks
