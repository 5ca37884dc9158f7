// The uninstall key, written by the finish.
#include "setup/product_registration.h"

#include <windows.h>

#include "core/code_page.h"
#include "core/file_access.h"
#include "core/registry_key.h"
#include "core/system_error.h"
#include "portable/date_format.h"
#include "portable/path_rules.h"
#include "portable/uninstall_key.h"
#include "script/folder_variables.h"
#include "setup/corrupt.h"
#include "setup/engine_state.h"
#include "setup/run_values.h"
#include "setup/uninstall_key_writer.h"

namespace ks {
namespace {

constexpr char16_t kProductIconName[] = u"product.ico";
constexpr int kErrUnknownValueType = 200;

std::string Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return FormatDate("yymmdd", {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

// The settings' extra values, expanded; an unknown type ends the list.
std::vector<UninstallKeyValue> ExtraValues() {
  const Settings& s = Engine().settings();
  std::vector<UninstallKeyValue> values;
  for (const RegistryEntry& entry : s.RegistryList)
    values.push_back(ExtraUninstallValue(entry, SystemCodePage().ToWide(entry.path), Expand(entry.value)));
  return values;
}

// "product.ico" in the uninstall data folder; empty when there is none.
std::u16string SaveProductIcon(InstallRun& run) {
  const Settings& s = Engine().settings();
  if (s.ProductIcon.empty()) return {};
  std::u16string path = JoinPath(run.UninstallDir, kProductIconName);
  if (!WriteWholeFile(path, s.ProductIcon)) return {};
  run.uninstall_data.RecordItem(path, kRecordFile);
  return path;
}

}  // namespace

// Registers the product with the system's list of installed programs, with
// everything the uninstaller needs to run without the installer's settings.
void RegisterProduct(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  if (!run.registers_uninstaller) return;
  const auto& cp = SystemCodePage();
  std::u16string kept_error;
  bool failed = false;

  RegistryKey key;
  std::u16string key_path = std::u16string(kUninstallKey) + u"\\" + s.UninstallKeyName;
  if (!Opened(key.Open(HKEY_LOCAL_MACHINE, key_path, kRegView64 | kRegNoStack, KEY_ALL_ACCESS))) {
    kept_error = SystemErrorText(GetLastError());
    failed = true;
  } else {
    UninstallKeyRun r;
    r.key_name = s.UninstallKeyName;
    r.uninstaller_path = JoinPath(run.UninstallDir, cp.ToWide(s.UninstallerFileName));
    r.installer_path = e.module_path;
    r.product_icon_path = SaveProductIcon(run);
    r.install_dir = run.InstallDir;
    r.start_menu_folder = run.StartMenuFolder;
    r.shared_path = run.SharedPath;
    r.fonts_text = run.payload.fonts_text;
    r.shared_files = cp.FromWide(run.counted_files);
    r.notify_url = cp.FromWide(s.NotifyURL);
    r.copyright_font = cp.FromWide(s.CopyrightFont);
    r.installed_size = run.required_space;
    r.option_flags = run.OptionFlags(s);
    r.archive_flags = run.ArchiveFlags(e.header());
    r.install_date = Today();
    r.extra = ExtraValues();
    std::vector<UninstallKeyValue> values = UninstallKeyValues(s, r);
    auto on_failure = [&](const std::u16string& name, DWORD error) {
      failed = true;
      e.log.AddFailure(u"Failed to save data in registry key \"" + name + u"\": " + SystemErrorText(error) +
                       u"\r\n");
    };
    if (!WriteKeyValues(key, values, kRegView64, on_failure)) CorruptInstaller(kErrUnknownValueType);
    // Read back: a key that does not keep what was written is no registration.
    if (key.ReadValueText(u"UninstallString", u"") != values.front().text16) failed = true;
  }

  if (!s.InstallDirRegistryValue.empty()) {
    std::u16string value_path = cp.ToWide(s.InstallDirRegistryValue);
    size_t slash = value_path.rfind(u'\\');
    RegistryKey folder_key;
    if (slash != std::u16string::npos &&
        Opened(folder_key.OpenPath(value_path.substr(0, slash), kRegView64 | kRegNoStack, kRegReadWrite)))
      folder_key.WriteString(value_path.substr(slash + 1), run.InstallDir, kRegWideText);
  }

  if (failed) {
    if (!kept_error.empty()) e.log.AddFailure(u"System error: " + kept_error + u"\r\n\r\n");
    e.log.AddFailure(
        u"Unable to save the uninstall information to the registry.  Uninstall will not work properly.\r\n\r\n");
  }
}


}  // namespace ks
