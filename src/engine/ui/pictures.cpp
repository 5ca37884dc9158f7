// Side picture, banner and button images.
#include "ui/pictures.h"

#include "ui/res/resource.h"
#include "ui/ui_env.h"

namespace ks {
namespace {

HBITMAP LoadOnce(HBITMAP& slot, int resource) {
  if (!slot)
    slot = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  return slot;
}

HBITMAP g_side = nullptr, g_banner = nullptr;
HBITMAP g_buttons[8] = {};

// The picture control's painter: the whole bitmap into the client rectangle.
LRESULT CALLBACK PicturePaint(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return DefWindowProcW(window, message, wparam, lparam);
  auto bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA));
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  BITMAP info{};
  if (bitmap && GetObjectW(bitmap, sizeof info, &info)) {
    RECT client;
    GetClientRect(window, &client);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }
  EndPaint(window, &ps);
  // The banner's headings lie on top of it: let them draw again over the picture.
  HWND parent = GetParent(window);
  if (GetDlgCtrlID(window) == KS_ID_BANNER && parent) {
    for (int id : {KS_ID_BANNER_HEADING, KS_ID_BANNER_SUBHEADING})
      if (HWND heading = GetDlgItem(parent, id)) InvalidateRect(heading, nullptr, FALSE);
  }
  return 0;
}

void Show(HWND control, HBITMAP bitmap) {
  if (!control || !bitmap) return;
  SetWindowLongPtrW(control, GWLP_USERDATA, LONG_PTR(bitmap));
  SetWindowLongPtrW(control, GWLP_WNDPROC, LONG_PTR(PicturePaint));
  InvalidateRect(control, nullptr, FALSE);
}

}  // namespace

void ShowSidePicture(HWND control) {
  if (!control) return;
  const Settings* s = Ui().settings;
  int frame = s ? s->PictureFrame : 0;
  if (frame == 1) SetWindowLongPtrW(control, GWL_EXSTYLE, GetWindowLongPtrW(control, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  if (frame == 2) SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) | WS_BORDER);
  if (frame != 0)
    SetWindowPos(control, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOCOPYBITS |
                     SWP_NOOWNERZORDER);
  Show(control, LoadOnce(g_side, KS_BMP_SIDE));
}

void ShowBanner(HWND control) { Show(control, LoadOnce(g_banner, KS_BMP_BANNER)); }

HBITMAP ButtonImage(int resource, HWND dialog) {
  if (resource < KS_BMP_OK || resource > KS_BMP_RETRY) return nullptr;
  HBITMAP& slot = g_buttons[resource];
  if (!slot) {
    RECT r{0, 0, 10, 10};
    if (!MapDialogRect(dialog, &r)) r = {0, 0, 16, 16};
    slot = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_BITMAP,
                                           r.right, r.bottom, LR_CREATEDIBSECTION));
  }
  return slot;
}

}  // namespace ks
