// Which run the options ask for, after the combinations the wrapper refuses.
#pragma once

#include "wrapper/state/run_state.h"

namespace keelson {

enum class RunKind {
  kUsage,             // a refused combination: the usage, exit 0
  kList,              // -c
  kDiscoveryReport,   // -d
  kUpdateFromReport,  // -u
  kVersionReport,     // -v
  kDependencyCheck,   // -sv
  kUpgrade,           // the default run (interactive, -s or -n)
};

// The refused combinations are tested in a fixed order and the first that
// matches decides. Silent with list or yes clears the console silent switch,
// so that the usage it leads to is seen.
RunKind chooseRun(RunState& state);

}  // namespace keelson
