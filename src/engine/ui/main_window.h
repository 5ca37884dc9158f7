// The installer's main window: one borderless window covering the screen,
// painted with the gradient, the background picture, the title and copyright.
#pragma once
#include <windows.h>

#include <string>

#include "portable/display_settings.h"

namespace ks {

// Creates the window (once per process) with `look`; `minimised` is the
// "MIN" atom. Ends the program with the fatal message when no window can be
// made. The window owns every dialog and box from now on.
HWND CreateMainWindow(HINSTANCE instance, HWND parent, bool minimised, DisplaySettings look, HICON large_icon,
                      HICON small_icon);

// Replaces what the window paints (its place stays) and repaints it.
void SetMainWindowLook(DisplaySettings look);

// The window, or null when there is none (OptionFlags 0x20000000).
HWND MainWindow();

// The title shown when DisplayTitle is empty: the wizard sets it to the
// product name of the current language, then repaints.
void SetMainWindowFallbackTitle(std::u16string title);
void InvalidateMainWindow();

}  // namespace ks
