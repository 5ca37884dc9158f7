// Shared-file reference counts.
#include "install/shared_counts.h"

#include <windows.h>

#include "core/registry_key.h"
#include "core/system_error.h"
#include "portable/component_rules.h"
#include "portable/text.h"

namespace ks {

void CountSharedFiles(const std::vector<std::u16string>& shared, std::u16string& counted, InstallSink& sink) {
  // Nothing to count is no failure, also on systems without the key.
  if (shared.empty()) return;
  RegistryKey key;
  if (!Opened(key.Open(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                       kRegOpenOnly | kRegNoStack, kRegReadWrite))) {
    sink.AddFailure("Registry error: unable to increment shared file reference counts.\r\n\r\n");
    return;
  }
  for (const std::u16string& entry : shared) {
    if (IsCounted(counted, entry)) continue;
    std::u16string path = StripSharedMarkers(entry);
    DWORD count = key.ReadNumber(path, 0);
    if (!key.WriteNumber(path, count + 1, 0)) {
      DWORD error = GetLastError();
      sink.Log(Utf16ToUtf8(u"Failed to increment reference count of shared file \"" + path + u"\" : " +
                           SystemErrorText(error) + u"\r\n"));
    }
    AppendCounted(counted, entry);
  }
}

}  // namespace ks
