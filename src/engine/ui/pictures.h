// The wizard's pictures: the side picture and banner, stretched into their
// controls, and the button images; each bitmap loaded once for the run.
#pragma once
#include <windows.h>

namespace ks {

// Skipped when the template lacks the control.
void ShowSidePicture(HWND control);
void ShowBanner(HWND control);
// Button image `resource` (4 OK/Yes, 5 Cancel/No, 6 Browse, 7 Retry) scaled to
// 10 x 10 dialog units of the dialog that first asks; null when unavailable.
HBITMAP ButtonImage(int resource, HWND dialog);

}  // namespace ks
