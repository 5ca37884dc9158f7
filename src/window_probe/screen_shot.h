// The screen's pixels in a rectangle written as a BMP file: the window tests
// and the preview read pages and the main window from these.
#pragma once
#include <windows.h>

#include <string>

namespace probe {

// A top-down 24-bit BMP of the screen inside `r`; false when the rectangle
// is empty or the file cannot be written.
bool WriteScreenBmp(const std::wstring& path, const RECT& r);

}  // namespace probe
