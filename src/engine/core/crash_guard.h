// A guard around calls into the product's own code (registration entry
// points, shell extensions): a crash in there is noted and the run goes on.
#pragma once
#include <windows.h>

#include <functional>

namespace ks {

struct GuardedCall {
  bool crashed = false;
  DWORD exception_code = 0;  // the system exception that ended the call
};

// Runs `call` on this thread behind a structured exception frame of its own.
// Handlers inside the called code still come first; an exception that none
// of them takes ends the call instead of the process. Code after the fault
// point does not run and its destructors are skipped, so guard only the call
// into foreign code, not work that owns resources of ours.
GuardedCall CallGuarded(const std::function<void()>& call);

}  // namespace ks
