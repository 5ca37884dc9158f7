// The orderly exit every ordinary end of a run goes through.
#include "setup/exit.h"

#include <windows.h>
#include <ole2.h>

#include "core/message_pump.h"
#include "setup/engine_state.h"

namespace ks {

void OrderlyExit(int code) {
  // Windows, the log and the notification thread join this path as they arrive.
  static_cast<void>(PumpWaitingMessages());  // ending anyway
  Engine().log.Discard();
  OleUninitialize();
  ExitProcess(code);
}

}  // namespace ks
