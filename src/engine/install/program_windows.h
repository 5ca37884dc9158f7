// Top-level windows of other programs and their matching against a close
// entry's class and title, for the installer and the uninstaller alike.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ks {

// The top-level windows of every other process.
std::vector<HWND> ForeignTopWindows();

// Class and title (8-bit, system code page): an empty field is not tested,
// "*rest" matches when rest occurs in the window's text. An entry with both
// fields empty matches nothing.
bool WindowMatches(HWND window, const std::string& window_class, const std::string& window_title);

// Ends the process that owns the window.
void TerminateWindowProcess(HWND window);

}  // namespace ks
