// Removing one folder and removing a folder tree, with the refusals that keep
// a bad path from taking a drive root or a system folder with it.
#pragma once
#include <string_view>

#include "core/message_pump.h"

namespace ks {

// Folder removal flags.
enum : unsigned {
  kRemoveKeepShellFiles = 0x1,  // do not delete "thumbs.db" and "desktop.ini" first
  kRemovePumpMessages = 0x400,  // run the message pump after each file and while waiting
};

// Removes one (empty) folder. False with the system's error as last error;
// a path of at most 3 characters is refused with ERROR_BAD_PATHNAME.
bool RemoveFolder(std::u16string_view path, unsigned flags);

// Removes a folder with everything in it. Refuses short paths
// (ERROR_BAD_PATHNAME) and protected folders (ERROR_ACCESS_DENIED, see
// IsProtectedFolder); a missing folder counts as removed. False when
// any deletion failed, with the first failure's code as the last error.
bool RemoveFolderTree(std::u16string_view path, unsigned flags, const MessagePump& pump = {});

// The deletion of one file inside a tree: clears the read-only attribute and
// deletes it now. (The files-in-use deletion with its restart fallback takes
// its place once that exists.)
bool DeleteTreeFile(std::u16string_view path);

// True when a tree removal must never take `path`: a drive root in any
// spelling, a shell folder of the user or of all users, a system folder, or
// a folder that holds one of them.
bool IsProtectedFolder(std::u16string_view path);

}  // namespace ks
