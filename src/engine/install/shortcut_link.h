// Shell links (.lnk files) through the shell's link object, and the small
// files that go with shortcuts (icons written from the settings).
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace ks {

// What a link points at.
struct ShortcutFields {
  std::u16string target;
  std::u16string arguments;       // empty: none
  std::u16string working_folder;  // empty: none; trimmed before it is set
  std::u16string icon;            // empty: the target's own icon
};

enum class LinkSave {
  kSaved,
  kFailed,   // the last error says why
  kCrashed,  // the shell faulted; the last error is the exception code
};

// Saves a shell link at `path` with the kShortcut* flags (portable/shortcut_rules.h).
// ".LNK" is appended unless the path already ends in ".lnk", and `path` is
// updated to the name saved; the parent folders are created. The calling
// thread must have COM initialised.
[[nodiscard]] LinkSave CreateShortcut(std::u16string& path, const ShortcutFields& fields, unsigned flags);

}  // namespace ks
