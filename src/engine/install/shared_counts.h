// Reference counts of shared files under the system's SharedDLLs key, each
// file counted once per product.
#pragma once
#include <string>
#include <vector>

#include "install/install_context.h"

namespace ks {

// Raises the count of every shared-list entry not yet in `counted` (the
// product's "SharedFiles" text) and adds it there. A missing SharedDLLs key
// is a failure-summary paragraph; a failed write is a log line.
void CountSharedFiles(const std::vector<std::u16string>& shared, std::u16string& counted, InstallSink& sink);

}  // namespace ks
