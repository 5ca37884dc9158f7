// One entry of the shortcut list: what the payload phase, the settings'
// ShortcutList and the uninstaller shortcuts hand to the shortcut phase.
#pragma once
#include <cstdint>
#include <string>

namespace ks {

struct ShortcutRecord {
  bool OnDesktop = false;
  bool InStartMenu = false;
  bool InStartup = false;
  bool KeepOnUninstall = false;
  bool ExpandTarget = false;
  bool Quiet = false;
  uint8_t WindowState = 0;  // 0 normal, 1 minimized, 2 maximized
  std::u16string Target;
  std::u16string Name;  // may begin with subfolder names
  std::u16string Icon;
  std::u16string Arguments;
  std::u16string WorkingFolder;
  std::u16string OtherFolder;
  bool operator==(const ShortcutRecord&) const = default;
};

}  // namespace ks
