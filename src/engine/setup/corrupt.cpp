// The fatal messages of the archive.
#include "setup/corrupt.h"

#include "core/fatal.h"
#include "portable/engine_version.h"
#include "portable/settings_codec.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "setup/engine_state.h"
#include "ui/message_box.h"

namespace ks {
namespace {

constexpr char16_t kCorruptText[] =
    u"This installation program is corrupt.  This is usually caused by a faulty download, but it can also "
    u"be caused by a virus on your computer.  The installation cannot proceed.\r\n\r\nDelete the corrupted "
    u"installer (to prevent caching), then re-download it.  If the problem persists, check your system for "
    u"viruses.\r\n\r\nError code: %d";

constexpr int kCorruptMessage = 13;

}  // namespace

void CorruptInstaller(int code) {
  const EngineState& e = Engine();
  std::u16string format;
  if (e.settings_loaded()) format = LookupText(e.settings(), kCorruptMessage, e.windows_folder);
  if (format.empty()) format = kCorruptText;
  Fatal(FormatText(format, {int64_t(code)}));
}

void VersionMismatch(const std::string& found_version) {
  std::u16string found = Cp1252ToUtf16(found_version);
  Fatal(FormatText(u"The installer version (" + Widen(kEngineVersion) + u") does not match the version of %s (%s).  "
                   u"Close all applications and reinstall %s.",
                   {kEngineName, found, kEngineName}));
}

}  // namespace ks
