// The engine's process-wide state.
#include "setup/engine_state.h"

namespace ks {

EngineState& Engine() {
  static EngineState state;
  return state;
}

}  // namespace ks
