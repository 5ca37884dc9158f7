// Opening the wizard's dialogs from the engine's templates and what every page
// shares: variant choice, centring and placing, decoration, the common handler.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace ks {

// The pages whose template has variants, in the order of DialogVariants.
enum class PageKind { kGreeting, kLanguage, kLicense, kReadme, kChooseDir, kStartMenu, kProgress, kSummary };
uint32_t PageVariant(PageKind page);
// The template name of a page, e.g. "ChooseDirDlg3".
std::string PageTemplate(const char* base, PageKind page);

// Modal and modeless dialogs of this executable, owned by the current owner
// window; the Unicode call first, the ANSI one when that is not available.
INT_PTR OpenModal(const std::string& name, DLGPROC proc, LPARAM param);
HWND OpenModeless(const std::string& name, DLGPROC proc, LPARAM param);

// Centre of the owner (main window), else of the desktop work area.
void CentreWindow(HWND window);
// ProgressPosition placement inside `area`.
void PlaceWindowIn(HWND window, uint32_t code, const RECT& area);

// The first steps of every page's WM_INITDIALOG: Close enabled, the program's
// icons when asked, centred.
void BeginPage(HWND dialog);
// A button caption, with the image and a leading space when images are on.
void SetButton(HWND dialog, int id, const std::u16string& caption);
void SetItemText(HWND dialog, int id, const std::u16string& text);
std::u16string ItemText(HWND dialog, int id);

// Caption (or, for the banner variant, the subheading) and the picture of the
// variant; `caption` null leaves the caption alone.
void Decorate(HWND dialog, uint32_t variant, const std::u16string* caption, const std::u16string& banner_caption);

// 1001 and 1003 end the dialog with their id; the banner texts draw on the
// banner. True when the message was handled, with the dialog result in `result`.
bool CommonDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result);

}  // namespace ks
