// Making the main window at start-up, for the installer and the uninstaller.
#include "setup/main_window_start.h"

#include "core/wide.h"
#include "portable/path_rules.h"
#include "setup/engine_state.h"
#include "ui/main_window.h"

namespace ks {

void CreateInstallerWindow(const Settings& settings) {
  EngineState& e = Engine();
  DisplaySettings look;
  look.full_screen = (settings.OptionFlags2 & kOpt2Maximised) != 0;
  look.TaskbarText = SystemCodePage().ToWide(settings.TaskbarText);
  look.DisplayTitle = settings.DisplayTitle;
  look.TitleSize = settings.TitleSize;
  CreateMainWindow(e.instance, nullptr, e.command_line.Minimised, std::move(look), e.large_icon, e.small_icon);
}

void UpdateInstallerWindow(const Settings& settings) {
  if (!MainWindow()) return;
  // Until the wizard sets the language's product name.
  SetMainWindowFallbackTitle(settings.ProductName);
  SetMainWindowLook(DisplaySettingsFrom(settings, SystemCodePage()));
}

void CreateUninstallerWindow(DisplaySettings look, const std::u16string& folder) {
  EngineState& e = Engine();
  HICON large = e.large_icon, small = e.small_icon;
  const std::u16string icon_path = JoinPath(folder, u"uninstall.ico");
  if (GetFileAttributesW(W(icon_path)) != INVALID_FILE_ATTRIBUTES) {
    // Kept for the rest of the process: the window shows them until it ends.
    if (HICON big = static_cast<HICON>(LoadImageW(nullptr, W(icon_path), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                  GetSystemMetrics(SM_CYICON), LR_LOADFROMFILE)))
      large = big;
    if (HICON little = static_cast<HICON>(LoadImageW(nullptr, W(icon_path), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)))
      small = little;
  }
  SetMainWindowFallbackTitle(look.DisplayTitle);
  CreateMainWindow(e.instance, nullptr, e.command_line.Minimised, std::move(look), large, small);
}

}  // namespace ks
