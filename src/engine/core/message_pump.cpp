// PumpWaitingMessages: a PeekMessage/Dispatch loop.
#include "core/message_pump.h"

#include <windows.h>

namespace ks {

bool PumpWaitingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit for the thread's own message loop.
      PostQuitMessage(int(msg.wParam));
      return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return false;
}

}  // namespace ks
