// Button-row layout: measure, call the layout rule, apply.
#include "ui/button_row.h"

#include <string>

#include "portable/wizard_rules.h"
#include "ui/pictures.h"
#include "ui/ui_env.h"

namespace ks {

void LayoutButtons(HWND window, const std::vector<RowEntry>& entries) {
  if (entries.empty()) return;
  bool images = Ui().button_images && Ui().button_images();
  RECT unit_rect{0, 0, 4, 0};
  int unit = MapDialogRect(window, &unit_rect) ? unit_rect.right : LOWORD(GetDialogBaseUnits());
  RECT image_rect{0, 0, 10, 10};
  MapDialogRect(window, &image_rect);
  RowMetrics m;
  RECT client;
  GetClientRect(window, &client);
  m.client_width = client.right;
  m.unit = unit;
  m.padding = 2 * unit + 2 * GetSystemMetrics(SM_CXEDGE);
  m.image_width = images ? image_rect.right : 0;

  std::vector<RowButton> buttons;
  for (const RowEntry& e : entries) {
    std::wstring caption(size_t(GetWindowTextLengthW(e.button)) + 1, L'\0');
    caption.resize(size_t(GetWindowTextW(e.button, caption.data(), int(caption.size()))));
    if (images) {
      caption.insert(0, L" ");
      SetWindowTextW(e.button, caption.c_str());
    }
    HDC dc = GetDC(e.button);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(e.button, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? HGDIOBJ(font) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    // The '&' of a mnemonic takes no room.
    std::wstring shown;
    for (size_t i = 0; i < caption.size(); ++i) {
      if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
      shown += caption[i];
    }
    GetTextExtentPoint32W(dc, shown.c_str(), int(shown.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(e.button, dc);
    RECT r;
    GetWindowRect(e.button, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    buttons.push_back({{r.left, r.top, r.right, r.bottom}, int(size.cx)});
  }
  std::vector<Rect> placed = LayoutButtonRow(buttons, m);
  for (size_t i = 0; i < entries.size(); ++i) {
    const Rect& r = placed[i];
    SetWindowPos(entries[i].button, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (images)
      if (HBITMAP bitmap = ButtonImage(entries[i].image, window))
        SendMessageW(entries[i].button, BM_SETIMAGE, IMAGE_BITMAP, LPARAM(bitmap));
  }
}

}  // namespace ks
