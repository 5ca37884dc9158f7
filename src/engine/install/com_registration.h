// Registering COM servers (regsvr32, else their own DllRegisterServer) and
// type libraries, each guarded against crashes of the product's code.
#pragma once
#include <string>
#include <vector>

#include "install/install_context.h"

namespace ks {

// `system_dir` is the folder regsvr32 runs in.
void RegisterComServers(const std::vector<std::u16string>& servers, const std::u16string& system_dir,
                        InstallSink& sink);
void RegisterTypeLibraries(const std::vector<std::u16string>& libraries, InstallSink& sink);

}  // namespace ks
