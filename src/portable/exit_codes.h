// How a run ended, and the process exit code that tells it: the classic set
// (1 after every installation, 0 after every uninstall run), or with /e the
// set deployment tools read.
#pragma once

namespace ks {

enum class ExitCode : unsigned {
  kUninstallEnd,     // an uninstall run reached its end
  kInstallEnd,       // an installation reached its end
  kCancelled,        // the user cancelled or declined
  kRefused,          // a check or an error stopped the run
  kAnotherInstance,  // another installation holds the single-instance mutex
  kFatal,            // the fatal-error routine, a crash
};

// What else the deployment set needs to know at the end.
struct ExitFacts {
  bool deployment = false;       // /e or the project's deployment_exit_codes
  bool restart_pending = false;  // files or deletions wait for the restart
  bool failures = false;         // the failure summary is not empty
  bool uninstalling = false;     // an uninstall run: classic code 0 however it ends
};

inline constexpr unsigned kExitDeploySuccess = 0;
inline constexpr unsigned kExitDeployRestartNeeded = 3010;
inline constexpr unsigned kExitDeployCancelled = 1602;
inline constexpr unsigned kExitDeployAnotherInstallation = 1618;
inline constexpr unsigned kExitDeployFailure = 1603;

constexpr unsigned ProcessExitCode(ExitCode end, const ExitFacts& facts) {
  if (!facts.deployment) {
    if (end == ExitCode::kFatal) return 1;
    return end == ExitCode::kUninstallEnd || facts.uninstalling ? 0 : 1;
  }
  switch (end) {
    case ExitCode::kUninstallEnd:
    case ExitCode::kInstallEnd:
      if (facts.failures) return kExitDeployFailure;
      return facts.restart_pending ? kExitDeployRestartNeeded : kExitDeploySuccess;
    case ExitCode::kCancelled: return kExitDeployCancelled;
    case ExitCode::kAnotherInstance: return kExitDeployAnotherInstallation;
    case ExitCode::kRefused:
    case ExitCode::kFatal: return kExitDeployFailure;
  }
  return kExitDeployFailure;
}

}  // namespace ks
