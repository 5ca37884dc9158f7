// Painting the main window: the background (gradient, picture) and the texts.
#pragma once
#include <windows.h>

#include <string>

#include "portable/display_settings.h"

namespace ks {

// Fills `rect` with a vertical gradient: GradientFill from msimg32 when the
// system has it, bands otherwise. False only when the gradient could not be drawn.
bool FillGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);

// Draws the whole packed DIB into `dest`: alpha-blended at 32 bits, in two
// passes with a mask for a transparent palette index, else a plain copy.
// False when even the draw in 6x6 tiles failed.
bool DrawPicture(HDC dc, const RECT& dest, const std::string& block, int transparent_index);

// WM_ERASEBKGND: the gradient or solid colour, then the picture.
// `gradient_failed` becomes true for good when the gradient cannot be drawn.
void EraseMainWindow(HDC dc, const RECT& client, const DisplaySettings& look, bool& gradient_failed);

// The title or copyright routine: face list, size in points, colour,
// position 1..6 (0 draws nothing) and shadow depth.
void DrawWindowText(HWND window, HDC dc, const std::u16string& text, const std::u16string& faces, double points,
                    COLORREF colour, int position, int shadow);

}  // namespace ks
