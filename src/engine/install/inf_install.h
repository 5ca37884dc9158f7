// Copying driver INF files into the system's driver store.
#pragma once
#include <string>
#include <vector>

#include "install/install_context.h"
#include "portable/settings.h"

namespace ks {

// Copies every INF of `infs`; the store's name of each copied one joins
// `drivers` (the [INF] lines). Every outcome is a log line.
void InstallInfFiles(const std::vector<std::u16string>& infs, InstallSink& sink, std::vector<Text8>& drivers);

}  // namespace ks
