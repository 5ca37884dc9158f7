// Product key, registry entries text and associations, in that order; every
// failure goes to the failure summary, none stops the installation.
#include "setup/registry_entries.h"

#include <shlobj.h>

#include "core/crash_guard.h"
#include "core/system_error.h"
#include "install/associations.h"
#include "install/registry_writer.h"
#include "portable/archive.h"
#include "portable/association_rules.h"
#include "portable/registry_entries.h"
#include "portable/text.h"
#include "setup/engine_state.h"
#include "setup/messages.h"
#include "setup/run_values.h"

namespace ks {
namespace {

unsigned ProductView(const Settings& s) { return s.Bitness == 1 ? kRegView64 : 0u; }

void WriteProductKey(const Settings& s) {
  if (s.ProductRegistry.empty() || CreateProductKey(s.ProductRegistry, ProductView(s))) return;
  DWORD error = GetLastError();
  if (error == ERROR_SUCCESS) return;
  const AnsiCodePage& cp = SystemCodePage();
  Engine().log.AddFailure("Error creating registry keys at \\Software\\" + cp.FromWide(s.ProductRegistry, '?') +
                          "\r\nCode " + std::to_string(error) + ": " + cp.FromWide(SystemErrorText(error)) +
                          "\r\n\r\n");
}

const std::u16string* ChosenLanguage(const InstallRun& run, const Settings& s) {
  int language = run.language >= 0 ? run.language : s.CurrentLanguage;
  if (language < 0 || size_t(language) >= s.LanguageNames.size()) return nullptr;
  return &s.LanguageNames[size_t(language)];
}

void WriteAssociations(InstallRun& run, const Settings& s) {
  InstallLog& log = Engine().log;
  AssociationContext context;
  context.view = ProductView(s);
  context.backup_name = BackupValueName(s.ProductName);
  context.install_dir = run.InstallDir;
  context.expand = [](std::u16string text) { return Expand(std::move(text)); };
  context.add_failure = [&log](std::u16string_view text) { log.AddFailure(text); };
  context.log = [&log](std::u16string_view text) { log.LogText(text); };
  const std::u16string* language = ChosenLanguage(run, s);

  // Shell extensions answer the change notification; a crash in there, or in
  // the registry calls, ends the associations but not the installation.
  GuardedCall call = CallGuarded([&] {
    for (const AssociationEntry& entry : s.AssociationList) {
      if (entry.Extension.empty()) continue;
      if (!entry.Language.empty() && (!language || entry.Language != *language)) continue;
      if (std::optional<FileAssociation> record = InstallAssociation(entry, context))
        run.uninstall_data.associations.push_back(std::move(*record));
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  });
  if (call.crashed) log.AddFailure(u"Crashed while installing associations.\r\n");
}

}  // namespace

void WriteRegistryEntries(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  Status(78);
  Progress(97);
  uint32_t flags = run.ArchiveFlags(e.header());
  if (!(run.removable_destination && (flags & kArcNoRegistryOnRemovable))) {
    WriteProductKey(s);
    RegistryWriteContext context;
    context.view = ProductView(s);
    context.expand = [](std::u16string text) { return Expand(std::move(text)); };
    context.add_failure = [&e](std::u16string_view text) { e.log.AddFailure(text); };
    WriteRegistry2Text(s.Registry2Text, context);
    // The uninstaller deletes what these lines name; it learns them only
    // when they were written.
    for (std::string_view line : Registry2Lines(s.Registry2Text)) run.uninstall_data.registry2.emplace_back(line);
  }
  if (!(run.removable_destination && (flags & kArcNoAssociationsOnRemovable)) && !s.AssociationList.empty())
    WriteAssociations(run, s);
}

}  // namespace ks
