// The default message pump of the core library's long operations: dispatches
// the waiting messages of the thread so that its windows stay responsive.
#pragma once
#include <functional>

namespace ks {

// Dispatches every waiting message and returns.
void PumpWaitingMessages();

// The pump a long operation runs between its steps: the caller's, else the
// default one above.
using MessagePump = std::function<void()>;
inline void RunPump(const MessagePump& pump) {
  if (pump)
    pump();
  else
    PumpWaitingMessages();
}

}  // namespace ks
