// The start-up sequence (placeholder until the entry is filled in).
#include "setup/startup.h"

namespace ks {

void RunEngine(HINSTANCE) { ExitProcess(1); }

}  // namespace ks
