// The wrapper's command line: each argument compared, ignoring case, with the
// dash and slash forms of the options, read from left to right into the run's
// option flags.
#pragma once

#include <string>
#include <vector>

#include "wrapper/state/run_state.h"

namespace keelson {

enum class CommandLineOutcome {
  kRun,    // every argument was read
  kUsage,  // help asked, a file-taking option without its file, or an unknown argument
};

// Stops at the first argument that calls for the usage; what was read up to
// there (the silent switch of an earlier -s, say) stays in the state.
CommandLineOutcome readCommandLine(const std::vector<std::string>& args, RunState& state);

}  // namespace keelson
