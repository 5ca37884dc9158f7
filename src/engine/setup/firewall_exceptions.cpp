// Firewall items one line at a time; what was added (and is not to be kept)
// goes to the uninstall data for removal.
#include "setup/firewall_exceptions.h"

#include <string>
#include <vector>

#include "core/file_access.h"
#include "install/firewall.h"
#include "portable/archive.h"
#include "portable/firewall_items.h"
#include "portable/path_rules.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "setup/corrupt.h"
#include "setup/engine_state.h"
#include "setup/run_values.h"

namespace ks {
namespace {

// The error the settings reader gives a damaged firewall list.
constexpr int kCorruptFirewallList = 90;

int OpenPortLogged(long port, long protocol, const std::u16string& name) {
  InstallLog& log = Engine().log;
  int result = FirewallOpenPort(port, protocol, name);
  if (result != kFirewallDone) {
    log.LogFormat(u"Failed to open firewall port %d, code %d\r\n", {int64_t(port), int64_t(result)});
  } else {
    log.LogFormat(protocol == kProtocolTcp ? u"Added firewall exception: TCP port %d\r\n"
                                           : u"Added firewall exception: UDP port %d\r\n",
                  {int64_t(port)});
  }
  return result;
}

int AuthorizeLogged(const InstallRun& run, const FirewallItem& item, const std::u16string& name) {
  InstallLog& log = Engine().log;
  std::u16string path = Expand(item.target);
  ResolvePath(path, run.InstallDir);
  if (!PathExists(path) || FolderExists(path)) {
    log.LogConcat({u"Failed to add firewall exception for \"", path, u"\": file does not exist\r\n"});
    return kFirewallChangeFailed;
  }
  int result = FirewallAuthorizeProgram(path, name);
  if (result != kFirewallDone) {
    log.LogFormat(u"Failed to add firewall exception for \"%s\", code %d\r\n", {path, int64_t(result)});
  } else {
    log.LogConcat({u"Added firewall exception: ", path, u"\r\n"});
  }
  return result;
}

}  // namespace

void AddFirewallExceptions(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  if (run.removable_destination && (run.ArchiveFlags(e.header()) & kArcNoFirewallOnRemovable)) return;
  if (s.FirewallPrograms.empty()) return;

  // The whole list is checked before the firewall changes: damaged settings
  // must not leave exceptions behind that the uninstaller never learns of.
  std::vector<std::u16string_view> lines = FirewallLines(s.FirewallPrograms);
  std::vector<FirewallItem> items;
  for (std::u16string_view line : lines) {
    std::optional<FirewallItem> item = ParseFirewallLine(line);
    if (!item) CorruptInstaller(kCorruptFirewallList);
    items.push_back(std::move(*item));
  }
  if (items.empty()) return;

  int connected = FirewallConnect();
  if (connected != kFirewallDone) {
    e.log.LogFormat(u"Failed to connect to the firewall service: code %d\r\n", {int64_t(connected)});
    return;
  }
  for (size_t i = 0; i < items.size(); ++i) {
    const FirewallItem& item = items[i];
    std::u16string name = item.name.empty() ? s.ProductName : item.name;
    int result = kFirewallDone;
    if (item.is_port) {
      if (item.flags & kFirewallTcp) result = OpenPortLogged(item.port, kProtocolTcp, name);
      if (item.flags & kFirewallUdp) result = OpenPortLogged(item.port, kProtocolUdp, name);
    } else {
      result = AuthorizeLogged(run, item, name);
    }
    if (result == kFirewallDone && !item.keep)
      run.uninstall_data.firewall.push_back(SystemCodePage().FromWide(lines[i]));
  }
  FirewallReleaseProfile();
}

}  // namespace ks
