// The registrations after the file loop.
#include "setup/register_components.h"

#include <windows.h>

#include "core/wide.h"
#include "install/com_registration.h"
#include "install/component_status.h"
#include "install/inf_install.h"
#include "install/shared_counts.h"
#include "setup/engine_sink.h"
#include "setup/install_run.h"

namespace ks {
namespace {

constexpr int kProgressCounted = 93;
constexpr int kProgressRegistered = 95;

std::u16string SystemFolder() {
  wchar_t folder[MAX_PATH];
  UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  return n && n < MAX_PATH ? U16(folder) : std::u16string();
}

}  // namespace

void RegisterComponents(InstallRun& run) {
  EngineSink sink(*run.archive, run);
  PayloadLists& lists = run.payload;
  // Counts belong to a product that can be uninstalled, which lowers them again.
  if (run.registers_uninstaller) {
    CountSharedFiles(lists.shared, run.counted_files, sink);
    sink.Progress(kProgressCounted);
  }
  if (!lists.com_servers.empty() || !lists.type_libraries.empty()) {
    RegisterComServers(lists.com_servers, SystemFolder(), sink);
    RegisterTypeLibraries(lists.type_libraries, sink);
  }
  if (!lists.inf_files.empty()) InstallInfFiles(lists.inf_files, sink, run.uninstall_data.inf);
  sink.Status(sink.Text(kMsgRegistrationDone));
  sink.Progress(kProgressRegistered);
}

}  // namespace ks
