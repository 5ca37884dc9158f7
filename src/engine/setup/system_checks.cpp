// The refusals before any page.
#include "setup/system_checks.h"

#include <windows.h>

#include "core/fatal.h"
#include "core/os_name.h"
#include "core/registry_key.h"
#include "portable/install_rules.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "portable/version.h"
#include "script/folder_variables.h"
#include "setup/engine_state.h"
#include "setup/exit.h"
#include "setup/messages.h"

namespace ks {

void CheckBitness(InstallRun&) {
  EngineState& e = Engine();
  uint8_t bitness = e.settings().Bitness;
  if (bitness != 1 && bitness != 2) return;
  bool system64 = Is64BitWindows();
  if ((bitness == 1 && !system64) || (bitness == 2 && system64)) {
    if (e.AutomaticMode) OrderlyExit(ExitCode::kRefused);
    ErrorExit(FormatText(Text(81), {int64_t(bitness == 1 ? 64 : 32)}));
  }
  if (bitness == 1 && e.redirection_failed) Fatal(u"Wow64DisableWow64FsRedirection() failed");
}

void CheckExcludedSystems(InstallRun&) {
  const Settings& s = Engine().settings();
  if (s.ExcludedSystems & WindowsVersionBit(GatherOsFacts()))
    ErrorExit(FormatText(Text(61), {OperatingSystemName()}));
}

void CheckRequiredProduct(InstallRun& run) {
  const Settings& s = Engine().settings();
  if (!(s.OptionFlags & kOptRequiredProduct)) return;
  std::u16string key_name = s.RequiredProductKey.empty() ? s.ProductName : s.RequiredProductKey;
  std::u16string name = s.RequiredProductName.empty() ? SystemCodePage().ToWide(s.ProductName8)
                                                      : SystemCodePage().ToWide(s.RequiredProductName);
  RegistryKey key;
  bool installed = false;
  std::u16string location, version;
  if (Opened(key.Open(HKEY_LOCAL_MACHINE, std::u16string(kUninstallKey) + u"\\" + key_name,
                      kRegOpenOnly | kRegView64 | kRegNoStack, kRegRead))) {
    installed = !key.ReadValueText(u"UninstallString", u"").empty() ||
                !key.ReadValueText(u"QuietUninstallString", u"").empty();
    location = key.ReadValueText(u"InstallLocation", u"");
    version = key.ReadValueText(u"DisplayVersion", u"");
  }
  bool master = s.DefaultInstallDir == u"<master>";
  if (master && location.empty()) installed = false;
  if (!installed) ErrorExit(FormatText(Text(12), {name}));
  if (!s.RequiredProductVersion.empty() &&
      CompareVersions(std::u16string_view(version), std::u16string_view(SystemCodePage().ToWide(s.RequiredProductVersion))) < 0)
    ErrorExit(FormatText(Text(112), {SystemCodePage().ToWide(s.RequiredProductVersion), name}));
  if (master) run.DefaultInstallDir = location;
}

void AcquireSingleInstance(InstallRun&) {
  EngineState& e = Engine();
  if (!(e.settings().OptionFlags & kOptSingleInstance)) return;
  e.single_instance.reset(CreateMutexW(nullptr, FALSE, L"Keldwick GCS"));
  if (e.single_instance.valid() && WaitForSingleObject(e.single_instance.get(), 0) == WAIT_TIMEOUT) {
    ErrorBox(Text(91));
    OrderlyExit(ExitCode::kAnotherInstance);
  }
}

}  // namespace ks
