// The dialogs' view of the run.
#include "ui/ui_env.h"

namespace ks {

UiEnv& Ui() {
  static UiEnv env;
  return env;
}

}  // namespace ks
