// The small folder inside each destination folder where an earlier file's
// replacement is written before it takes the name, and its removal.
#pragma once
#include <string>
#include <unordered_set>

namespace ks {

// Created inside a destination folder on the first replacement there.
inline constexpr char16_t kStagingFolderName[] = u"OQTSTAGE.tmp";

// The staging folders of one payload phase. A new name in a folder of
// thousands of files costs a scan of the whole folder under some file
// systems; in a small folder of its own the copy's name is cheap to create.
// Every folder passed to Watch loses its staging folder (and anything a
// killed run left there) when the phase ends.
class StagingFolders {
 public:
  StagingFolders() = default;
  StagingFolders(const StagingFolders&) = delete;
  StagingFolders& operator=(const StagingFolders&) = delete;
  ~StagingFolders() { RemoveAll(); }

  // The staging folder of `folder`, created when missing; empty when it
  // cannot be made (the copy then goes beside the destination).
  std::u16string For(const std::u16string& folder);
  // Removes the staging folder of `folder` at the end, whether used or not.
  void Watch(const std::u16string& folder);
  void RemoveAll();

 private:
  std::unordered_set<std::u16string> watched_;
  std::unordered_set<std::u16string> ready_;
};

}  // namespace ks
