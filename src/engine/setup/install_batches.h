// The installation's batches at their points of the run: one function per
// batch kind over RunBatch, with the run's current folder values.
#pragma once
#include "portable/batch_request.h"
#include "script/batch.h"

namespace ks {

// The run's values for RunBatch, taken now: the folder variables, the
// install folder, silent mode and the log.
BatchContext InstallBatchContext();
// Runs one batch; the pre-installation, upgrade and reinstall batches go
// through here from the flow.
bool RunInstallBatch(const BatchRequest& request);

// After Uninstall.DAT is written, before the log is finished; /b2 appended.
bool RunPostInstallBatch();
// After the log is finished, before the launch actions and the exit; /b3
// appended. Never logs its output.
bool RunExitBatch();

}  // namespace ks
