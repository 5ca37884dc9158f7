// Pure rules of the uninstall run: the saved flag words, the order in which
// recorded folders are removed, the failure lines and the self-deletion batch.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "portable/archive.h"
#include "portable/settings.h"

namespace ks {

// OptionFlags / OptionFlags2 bits only the uninstaller reads (the others are
// the settings' own, portable/settings.h).
enum : uint32_t {
  kOptFontQuestion = 0x00000010,
  kOptDeleteInstallFolder = 0x00000400,
  kOptSharedQuestion = 0x00020000,
  kOpt2RestartAfterUninstall = 0x00002000,
  kOpt2KeepInstallLog = 0x00400000,
};
// ArchiveFlags: a box tells that the removal is complete.

// "ProductFlags" holds both words as one decimal number: OptionFlags in the
// low 32 bits, OptionFlags2 in the high ones. A text that is not a number
// gives zeros.
struct ProductFlagWords {
  uint32_t option_flags = 0;
  uint32_t option_flags2 = 0;
};
ProductFlagWords SplitProductFlags(std::u16string_view text);

// The collected folders with the deepest first (more path separators first;
// equal depth keeps the recorded order), duplicates ignoring case dropped.
std::vector<std::u16string> FoldersDeepestFirst(const std::vector<std::u16string>& folders);

// The failure-summary line for a file that stayed: the message text, the
// path and the system's error text.
std::u16string FileNotDeletedLine(std::u16string_view message, std::u16string_view path,
                                  std::u16string_view error);

// The self-deletion batch (before code-page conversion): deletes the
// uninstaller once its process has ended, waits, removes the uninstall data
// folder and each parent below the install folder (deepest first), the
// install folder, then itself. `uninstall_subdir` is relative to the install
// folder and may be empty. Without `remove_install_dir` the install folder's
// own line is left out (a shell folder chosen as install folder stays).
std::u16string SelfDeletionBatchText(std::u16string_view uninstaller, std::u16string_view install_dir,
                                     std::u16string_view uninstall_subdir, std::u16string_view batch_path,
                                     bool remove_install_dir = true);

// True for a main-section item the installation pinned to the taskbar: its
// path runs through a "\\User Pinned\\" folder (compared ignoring case).
bool IsTaskbarPinItem(std::u16string_view path);

// The double-quoted names of a list ("ProductFonts", "SharedFiles"), in
// order; whatever stands between them is ignored, an unclosed quote ends it.
std::vector<std::u16string> QuotedNames(std::u16string_view text);

// One entry of the product's "SharedFiles" text: the path and its markers.
struct SharedFileEntry {
  std::u16string path;
  bool unregister_com = false;      // "^"
  bool keep_file = false;           // " "
  bool unregister_typelib = false;  // 0xA9
  bool operator==(const SharedFileEntry&) const = default;
};

// "\"a.dll^\";\"b.tlb\u00A9\"": the double-quoted names separated by ";",
// markers removed in the order "^", " ", 0xA9. Empty names are skipped.
std::vector<SharedFileEntry> ParseSharedFiles(std::u16string_view text);

// The address the support-offer dialog opens: `SupportOffer` trimmed, when it
// is an http(s) address a browser can open or a "mailto:" address; else "".
std::u16string SupportAddress(std::u16string_view offer);

}  // namespace ks
