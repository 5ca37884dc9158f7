// Shared files at uninstall: their SharedDLLs reference counts go down, and a
// file no longer counted is unregistered and deleted.
#pragma once
#include <functional>
#include <string>

namespace ks {

struct SharedReleaseCalls {
  // Asked before a file no longer counted is deleted; absent: always delete.
  std::function<bool(const std::u16string& path)> confirm_delete;
  std::function<void(const std::u16string&)> add_failure;
};

// Releases every entry of the "SharedFiles" text.
void ReleaseSharedFiles(const std::u16string& shared_files, const SharedReleaseCalls& calls);

}  // namespace ks
