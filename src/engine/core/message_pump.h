// The default message pump of the core library's long operations: dispatches
// the waiting messages of the thread so that its windows stay responsive.
#pragma once
#include <functional>

namespace ks {

// Dispatches every waiting message and returns. True when the thread was asked
// to end (a quit message, left waiting for the thread's own loop): work in
// progress should stop.
[[nodiscard]] bool PumpWaitingMessages();

// The pump a long operation runs between its steps: the caller's, else the
// default one above.
using MessagePump = std::function<void()>;
inline void RunPump(const MessagePump& pump) {
  if (pump)
    pump();
  else
    static_cast<void>(PumpWaitingMessages());  // a wait or removal in progress runs to its end
}

}  // namespace ks
