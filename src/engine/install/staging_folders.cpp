// Staging folders: made on first use, removed with their contents at the end.
#include "install/staging_folders.h"

#include <windows.h>

#include "core/folder_removal.h"
#include "core/wide.h"
#include "portable/path_rules.h"

namespace ks {

std::u16string StagingFolders::For(const std::u16string& folder) {
  if (folder.empty()) return {};
  std::u16string staging = JoinPath(folder, kStagingFolderName);
  watched_.insert(staging);
  if (ready_.count(staging)) return staging;
  if (!CreateDirectoryW(W(staging), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  ready_.insert(staging);
  return staging;
}

void StagingFolders::Watch(const std::u16string& folder) {
  if (folder.empty()) return;
  watched_.insert(JoinPath(folder, kStagingFolderName));
}

void StagingFolders::RemoveAll() {
  for (const std::u16string& staging : watched_) {
    DWORD attributes = GetFileAttributesW(W(staging));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      RemoveFolderTree(staging, kRemoveKeepShellFiles);
  }
  watched_.clear();
  ready_.clear();
}

}  // namespace ks
