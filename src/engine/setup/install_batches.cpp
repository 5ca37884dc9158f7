// The installation's batches over RunBatch.
#include "setup/install_batches.h"

#include "portable/archive.h"
#include "setup/engine_state.h"
#include "setup/run_values.h"
#include "ui/message_box.h"

namespace ks {

BatchContext InstallBatchContext() {
  EngineState& e = Engine();
  BatchContext context;
  context.value = [values = CurrentInstallValues()](int id) { return VariableValue(id, values); };
  context.install_dir = e.run.InstallDir;
  context.silent = e.AutomaticMode;
  context.log = &e.log;
  context.show_error = [](const std::u16string& text, const std::u16string& caption, UINT flags) {
    return ShowMessageBox(text, caption, flags);
  };
  return context;
}

bool RunInstallBatch(const BatchRequest& request) {
  if (request.text.empty()) return true;
  return RunBatch(InstallBatchContext(), request.text, request.title, request.hidden);
}

bool RunPostInstallBatch() {
  EngineState& e = Engine();
  return RunInstallBatch(PostInstallBatchRequest(e.settings(), e.header().ArchiveFlags, e.command_line.BatchAdditions[1]));
}

bool RunExitBatch() {
  EngineState& e = Engine();
  return RunInstallBatch(ExitBatchRequest(e.settings(), e.command_line.BatchAdditions[2]));
}

}  // namespace ks
