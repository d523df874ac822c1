#include "wrapper/flow/keelson_run.h"

#include <algorithm>
#include <exception>

#include "wrapper/catalog/installed_firmware.h"
#include "wrapper/catalog/report_runs.h"
#include "wrapper/checks/console_text.h"
#include "wrapper/checks/verify_dependencies.h"
#include "wrapper/checks/verify_instance.h"
#include "wrapper/checks/verify_ipe_dpe.h"
#include "wrapper/flow/command_line.h"
#include "wrapper/flow/run_choice.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/selection/select_adapter.h"
#include "wrapper/state/exit_codes.h"
#include "wrapper/state/run_state.h"

namespace keelson {

namespace {

int usage() {
  printUsage();
  return kExitFailed;
}

int dispatch(const std::vector<std::string>& args) {
  RunState& state = runState();
  if (readCommandLine(args, state) == CommandLineOutcome::kUsage) return usage();

  writeLogHeader();
  if (!verifyInstance()) return state.dependencyCheck ? kExitNothingToDo : kExitFailed;
  if (!verifyAdministrator()) return kExitFailed;
  if (!verifySupportingFiles()) return kExitFailed;

  switch (chooseRun(state)) {
    case RunKind::kUsage:
      return usage();
    case RunKind::kList:
      return showInstalledFirmware();
    case RunKind::kDiscoveryReport:
      return runReportCommand("discover");
    case RunKind::kUpdateFromReport:
      return afterUpgrade(runReportCommand("update"));
    case RunKind::kVersionReport:
      return runVersionReport();
    case RunKind::kDependencyCheck:
      return verifyDependencies();
    case RunKind::kUpgrade:
      break;
  }
  const int code = runUpgrade();
  // Nothing is written to a board after the user said quit.
  if (state.cancelled) return code;
  return afterUpgrade(code);
}

}  // namespace

int runKeelson(const std::vector<std::string>& args) {
  try {
    return dispatch(args);
  } catch (const std::exception& e) {
    logEntry(std::string("An unexpected error has occurred.  Firmware update will not be completed.") + e.what(), true);
  } catch (...) {
    logEntry("An unexpected error has occurred.  Firmware update will not be completed.", true);
  }
  return kExitFailed;
}

int runUpgrade() {
  RunState& state = runState();
  if (!state.dependenciesVerified && verifyDependencies() != 1) {
    writeConsole("Dependencies Failed -- Driver and firmware set are not allowed for update.\r\n");
    return kExitFailed;
  }
  if (state.supportedCount == 0 || state.adapters.empty()) {
    logEntry("No supported network adapters for firmware upgrade.", true);
    return kExitNothingToDo;
  }
  const size_t count = std::min<size_t>(state.supportedCount, state.adapters.size());
  for (size_t i = 0; i < count; ++i) {
    selectAdapter(i);
    if (state.cancelled) {
      logEntry("Firmware upgrade is cancelled by User!", true);
      return kExitNothingToDo;
    }
  }
  for (size_t i = 0; i < count; ++i) upgradeAdapter(i);

  if (state.commandFailed) {
    logEntry("NIC firmware update completed with errors", true);
    return kExitFailed;
  }
  if (state.statusOnly && state.updateRecommended) {
    logEntry("NIC firmware update is recommended.", true);
    return kExitUpdateRecommended;
  }
  if (state.statusOnly && state.newerVersionInstalled) {
    logEntry("NIC firmware update is not recommended.", true);
    return kExitNewerInstalled;
  }
  if (state.statusOnly && state.sameVersionInstalled) {
    logEntry("NIC firmware update is not recommended.", true);
    return kExitSameVersion;
  }
  if (state.somethingUpdated) {
    logEntry("NIC firmware update complete", true);
    return kExitDone;
  }
  logEntry("No firmware is selected for update.", true);
  return kExitNothingToDo;
}

int afterUpgrade(int runCode) {
  RunState& state = runState();
  if (state.supportedCount == 0 || state.statusOnly) return runCode;
  const int flagStep = verifyIpeDpe();
  if (!state.board585Seen) return runCode;
  switch (flagStep) {
    case kExitFailed:
      return kExitFailed;
    case kExitDone:
      // Cleared flags make a run done, never a failed one.
      return runCode == kExitFailed ? kExitFailed : kExitDone;
    default:
      // Nothing cleared: the run's own outcome stands.
      return runCode;
  }
}

}  // namespace keelson
