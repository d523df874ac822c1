// The wrapper's runs: the checks made before any work, the dispatch to the
// run the options ask for, the default upgrade run with its summary, the
// hardware-flag step after an upgrade, and the exit code of every outcome.
#pragma once

#include <string>
#include <vector>

namespace keelson {

// The whole program after the console set-up: the arguments without the
// program name in, the process exit code out. No exception leaves it.
int runKeelson(const std::vector<std::string>& args);

// The default run: decide on every supported adapter, then upgrade the
// chosen ones. 0 failed, 1 done, 3 nothing to do or cancelled, 4/5/6 the
// status of -n.
int runUpgrade();

// The exit code after an upgrade run (default or -u) that ended with
// runCode: the hardware-flag step may turn it into a failure, or into done
// when it cleared flags after a run that did not fail.
int afterUpgrade(int runCode);

}  // namespace keelson
