// How much file work the simulated host did in this process: calls that ask
// for a file's status, and parses of a state file (host.json, registry.reg,
// devices.json). Benchmarks read them to show what a run costs per card.
#pragma once

#include <cstdint>

namespace simhost {

struct StateFileCounts {
  uint64_t fileStatus = 0;
  uint64_t parses = 0;
};

StateFileCounts stateFileCounts();
void countFileStatus();
void countStateParse();

}  // namespace simhost
