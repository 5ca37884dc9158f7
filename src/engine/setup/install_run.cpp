// The installation run's own state.
#include "setup/install_run.h"

namespace ks {

void InstallRun::Begin(const Settings& s, const ArchiveHeader& header) {
  language = s.CurrentLanguage;
  DefaultInstallDir = s.DefaultInstallDir;
  button_images = header.ArchiveFlags & kArcButtonImages;
  restore_point = header.ArchiveFlags & kArcRestorePoint;
  registers_uninstaller = s.OptionFlags & kOptUninstaller;
  restart_required = s.OptionFlags & kOptRestartRequired;
}

namespace {

uint32_t WithBit(uint32_t flags, uint32_t bit, bool on) { return on ? flags | bit : flags & ~bit; }

}  // namespace

uint32_t InstallRun::OptionFlags(const Settings& s) const {
  uint32_t flags = WithBit(s.OptionFlags, kOptUninstaller, registers_uninstaller);
  return WithBit(flags, kOptRestartRequired, restart_required);
}

uint32_t InstallRun::ArchiveFlags(const ArchiveHeader& header) const {
  uint32_t flags = WithBit(header.ArchiveFlags, kArcButtonImages, button_images);
  return WithBit(flags, kArcRestorePoint, restore_point);
}

}  // namespace ks
