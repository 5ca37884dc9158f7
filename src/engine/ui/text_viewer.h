// The licence and readme pages' text control: rich text in a rich edit
// control that replaces the plain one, else UTF-16, UTF-8 or 8-bit text.
#pragma once
#include <windows.h>

#include <string_view>

namespace ks {

// True when the text went into a rich edit control (the page then hides its
// caret on timers 1 and 2 and forwards activation).
bool ShowViewerText(HWND dialog, int control, std::string_view bytes);

}  // namespace ks
