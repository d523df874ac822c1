// The wrapper's process-wide record: the options of the command line, the
// console switches the logger reads at every line, the outcome flags the
// summary reads, the discovery state and the supported adapters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wrapper/state/supported_nic.h"

namespace keelson {

struct RunState {
  // Option flags, set by the command line.
  bool list = false;              // -c
  bool silent = false;            // -s
  bool force = false;             // -f
  bool yes = false;               // -y
  bool discoveryReport = false;   // -d
  bool updateFromReport = false;  // -u
  bool rewrite = false;           // -e
  bool downgrade = false;         // -g
  bool dependencyCheck = false;   // -sv
  bool versionReport = false;     // -v
  bool statusOnly = false;        // -n

  // Console switches read at every log flush.
  bool consoleDebug = false;   // -debug
  bool consoleSilent = false;  // set with -s; cleared again to show the usage

  // The file of -d, -u and -v (the last of them on the command line).
  std::string reportFile;

  // Outcome flags.
  bool cancelled = false;
  bool commandFailed = false;
  bool somethingUpdated = false;
  bool updateRecommended = false;
  bool sameVersionInstalled = false;
  bool newerVersionInstalled = false;
  bool upgradeNoticeShown = false;
  bool board585Seen = false;
  bool hwFlagsCleared = false;
  bool hwFlagsClearFailed = false;

  // Discovery state. Both discovery flags are set by a successful
  // discovery; clearing one forces the next discovery to run again.
  bool discoveryDone = false;
  bool discoveryReportRead = false;
  bool dependenciesVerified = false;
  uint32_t supportedCount = 0;
  std::vector<SupportedNic> adapters;

  // The log file, known from writeLogHeader on; empty before.
  std::string logPath;

  // The lock file name; verifyInstance makes it a full path in the
  // temporary directory.
  std::string lockFile = "corvane_lock_file";
};

// The one record of this process, created at first use and never freed.
RunState& runState();

}  // namespace keelson
