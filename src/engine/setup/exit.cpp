// The orderly exit every ordinary end of a run goes through.
#include "setup/exit.h"

#include "core/message_pump.h"

namespace ks {

void OrderlyExit(ExitCode code) {
  // Windows and the notification thread join this path as they arrive.
  static_cast<void>(PumpWaitingMessages());  // ending anyway
  EndProcess(code);
}

}  // namespace ks
