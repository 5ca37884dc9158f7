// The pure rules of the shortcut phase: link file names, working folders, the
// splits of targets and arguments, creation flags and what is recorded for removal.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "portable/os_name_rule.h"
#include "portable/settings.h"
#include "portable/shortcut_record.h"

namespace ks {

// Flags of the creation routine.
enum : unsigned {
  kShortcutAllUsers = 0x1,
  kShortcutMinimized = 0x2,
  kShortcutMaximized = 0x4,
};

// Show commands of the link (values of SW_SHOWMINNOACTIVE and SW_SHOWMAXIMIZED);
// 0 leaves the link's default.
constexpr int kShowMinNoActive = 7;
constexpr int kShowMaximized = 3;

// The path with ".LNK" appended unless it already ends in ".lnk" (any case).
std::u16string LinkFileName(std::u16string_view path);
// Spaces trimmed and every trailing backslash removed; a bare drive ("C:")
// gets its root backslash back.
std::u16string TrimWorkingFolder(std::u16string_view folder);
// The creation flags: all users from ShortcutMode 1, the window state bits.
unsigned ShortcutFlags(int shortcut_mode, uint8_t window_state);
// The show command the flags ask for; 0 for none.
int ShowCommandFor(unsigned flags);

struct ProgramSplit {
  std::u16string program;
  std::u16string arguments;
};
// Arguments of the form ~"target" rest: the quoted target and the trimmed
// rest. False (nothing set) when the arguments do not begin with ~" or the
// quote is not closed.
bool SplitTildeArguments(std::u16string_view arguments, ProgramSplit& out);
// The root shortcut's target: a leading quoted part (unquoted) or the text up
// to the first blank is the program; the rest, blanks before it dropped, the
// arguments.
ProgramSplit SplitRootTarget(std::u16string_view text);
// The taskbar pin's target: a leading quoted part (unquoted) is the program
// and the trimmed rest the arguments; otherwise the whole text is the program.
ProgramSplit SplitPinTarget(std::u16string_view text);

// "." and ".." components folded away ("C:\a\..\b" -> "C:\b"); a ".." never
// climbs above the root.
std::u16string CanonicalPath(std::u16string_view path);

// A ShortcutList entry as a record of the shortcut list: 8-bit fields in the
// system code page (or "|" + UTF-8), the name in UTF-8, ExpandTarget set.
ShortcutRecord RecordFromEntry(const ShortcutEntry& entry);

// Where a shortcut of the list goes.
enum class ShortcutPlace { kDesktop, kDesktopFolder, kStartMenu, kStartup, kOtherFolder };
struct RemovalRecords {
  bool file = false;    // the shortcut file(s)
  bool folder = false;  // the folder the shortcut lies in
};
// What a created shortcut leaves in the uninstall data: nothing when kept;
// the folder when the name reaches into a subfolder, always for the other
// folder, never for Startup.
RemovalRecords RemovalFor(ShortcutPlace place, bool keep_on_uninstall, std::u16string_view name);

// Taskbar pins exist on Windows 7 and 8.x only: NT 6.1 up to, not including,
// 10. Wine reports 7 but has no pin verb, and its shell starts the link's
// program for an unknown verb instead, so no pin is tried there.
bool TaskbarPinSupported(const OsFacts& os);

}  // namespace ks
