#include "simhost/machine/state_counts.h"

#include <atomic>

namespace simhost {

namespace {

std::atomic<uint64_t> g_fileStatus{0};
std::atomic<uint64_t> g_parses{0};

}  // namespace

StateFileCounts stateFileCounts() {
  return {g_fileStatus.load(std::memory_order_relaxed), g_parses.load(std::memory_order_relaxed)};
}

void countFileStatus() { g_fileStatus.fetch_add(1, std::memory_order_relaxed); }
void countStateParse() { g_parses.fetch_add(1, std::memory_order_relaxed); }

}  // namespace simhost
