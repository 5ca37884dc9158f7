// The installation's batches as RunBatch gets them: the script's text with
// the command line's additions, the title for the log and the hidden switch.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "portable/settings.h"

namespace ks {

struct BatchRequest {
  std::string text;      // code page 1252, lines ending in CR LF
  std::u16string title;  // empty: no "Running" line and no captured output
  bool hidden = false;   // no console window, no PAUSE lines
};

// Titles as the log shows them.
inline constexpr char16_t kPreInstallBatchTitle[] = u"Pre-Installation Batch";
inline constexpr char16_t kUpgradeBatchTitle[] = u"Upgrade Batch";
inline constexpr char16_t kReinstallBatchTitle[] = u"Reinstall Batch";
inline constexpr char16_t kPostInstallBatchTitle[] = u"Post-Installation Batch";

// `addition` is the /b1, /b2 or /b3 text of the command line.
BatchRequest PreInstallBatchRequest(const Settings& s, uint32_t archive_flags, std::string_view addition);
BatchRequest UpgradeBatchRequest(const Settings& s, uint32_t archive_flags);
BatchRequest ReinstallBatchRequest(const Settings& s, uint32_t archive_flags);
BatchRequest PostInstallBatchRequest(const Settings& s, uint32_t archive_flags, std::string_view addition);
// Never titled: it runs after the log is finished.
BatchRequest ExitBatchRequest(const Settings& s, std::string_view addition);

}  // namespace ks
