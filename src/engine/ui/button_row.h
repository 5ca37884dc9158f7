// The re-layout of a row of buttons (message boxes, the two question
// dialogs): each grows to fit its caption, and its image when images are on.
#pragma once
#include <windows.h>

#include <vector>

namespace ks {

struct RowEntry {
  HWND button;
  int image;  // bitmap resource number
};
void LayoutButtons(HWND window, const std::vector<RowEntry>& entries);

}  // namespace ks
