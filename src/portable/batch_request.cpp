// The installation's batch requests from the settings and the command line.
#include "portable/batch_request.h"

#include "portable/archive.h"
#include "portable/batch_text.h"

namespace ks {
namespace {

BatchRequest Request(std::string text, bool titled, const char16_t* title, bool hidden) {
  BatchRequest r;
  r.text = std::move(text);
  if (titled) r.title = title;
  r.hidden = hidden;
  return r;
}

}  // namespace

BatchRequest PreInstallBatchRequest(const Settings& s, uint32_t archive_flags, std::string_view addition) {
  return Request(WithExtraCommands(s.PreInstallBatch, addition), archive_flags & kArcPreBatchLabel,
                 kPreInstallBatchTitle, s.OptionFlags & kOptPreBatchOption);
}

BatchRequest UpgradeBatchRequest(const Settings& s, uint32_t archive_flags) {
  return Request(s.UpgradeBatch, archive_flags & kArcUpgradeBatchLabel, kUpgradeBatchTitle,
                 s.OptionFlags2 & kOpt2UpgradeBatchOption);
}

BatchRequest ReinstallBatchRequest(const Settings& s, uint32_t archive_flags) {
  return Request(s.ReinstallBatch, archive_flags & kArcReinstallBatchLabel, kReinstallBatchTitle,
                 s.OptionFlags2 & kOpt2ReinstallBatchOption);
}

// The settings carry no hidden switch for the post-installation and exit
// batches: they run in a console window of their own (PAUSE lines still go
// when the installer is silent).
BatchRequest PostInstallBatchRequest(const Settings& s, uint32_t archive_flags, std::string_view addition) {
  return Request(WithExtraCommands(s.PostInstallBatch, addition), archive_flags & kArcPostBatchLabel,
                 kPostInstallBatchTitle, false);
}

BatchRequest ExitBatchRequest(const Settings& s, std::string_view addition) {
  return Request(WithExtraCommands(s.ExitBatch, addition), false, u"", false);
}

}  // namespace ks
