// How the installation flow talks to the user: texts by number, error boxes,
// questions, the abort notice, status and progress.
#pragma once
#include <string>

namespace ks {

// Text n of the current language, placeholders replaced.
std::u16string Text(int n);
// Caption text 21 ("Error" when empty), error icon; nothing in silent mode
// unless the settings ask for errors there too.
void ErrorBox(const std::u16string& text);
[[noreturn]] void ErrorExit(const std::u16string& text);
// Yes/No question; true for Yes.
bool Question(const std::u16string& text, const std::u16string& caption);
// Text 98 (101 when uninstalling) with caption 111, unless silent; exit 1.
[[noreturn]] void Abort();

// Status line and progress bar: shown by the progress page once it exists.
void Status(int message);
void StatusText(const std::u16string& text);
// Moves the bar and lets the waiting messages through; a Cancel the user
// confirmed meanwhile ends the run here with the abort notice.
void Progress(int step);
// Waits until `ms` have passed since the last status message, pumping
// messages in rounds of 50 ms (not in silent mode).
void WaitSinceStatus(int ms);

}  // namespace ks
