#include "wrapper/flow/run_choice.h"

namespace keelson {

RunKind chooseRun(RunState& s) {
  if (s.silent && (s.list || s.yes)) {
    s.consoleSilent = false;
    return RunKind::kUsage;
  }
  if (s.force && (s.list || s.yes || s.dependencyCheck)) return RunKind::kUsage;
  if (s.yes && (s.list || s.force || s.discoveryReport || s.updateFromReport || s.dependencyCheck))
    return RunKind::kUsage;
  if (s.list) {
    const bool withOthers = s.silent || s.force || s.yes || s.discoveryReport || s.updateFromReport ||
                            s.dependencyCheck || s.versionReport || s.statusOnly;
    return withOthers ? RunKind::kUsage : RunKind::kList;
  }
  if (s.statusOnly && (s.silent || s.force || s.yes || s.discoveryReport || s.updateFromReport || s.dependencyCheck))
    return RunKind::kUsage;
  if (s.versionReport && (s.force || s.yes || s.discoveryReport || s.updateFromReport || s.dependencyCheck))
    return RunKind::kUsage;

  if (s.discoveryReport) {
    const bool refused = s.force || s.yes || s.updateFromReport || s.dependencyCheck;
    return refused ? RunKind::kUsage : RunKind::kDiscoveryReport;
  }
  if (s.updateFromReport) {
    const bool refused = s.yes || s.discoveryReport || s.dependencyCheck;
    return refused ? RunKind::kUsage : RunKind::kUpdateFromReport;
  }
  if (s.versionReport) return RunKind::kVersionReport;
  if (s.dependencyCheck) {
    const bool refused =
        s.force || s.yes || s.discoveryReport || s.updateFromReport || s.versionReport || s.statusOnly;
    return refused ? RunKind::kUsage : RunKind::kDependencyCheck;
  }
  return RunKind::kUpgrade;
}

}  // namespace keelson
