#include "sw/tools/flashLoader/runstate/flash_write_phase.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"

std::atomic<int32_t> g_flash_write{0};
std::atomic<bool> g_stop_requested{false};

namespace {

const bool kReset = register_state_reset([] {
  g_flash_write.store(0);
  g_stop_requested.store(false);
});

}  // namespace

std::mutex& flash_write_decision() {
  static std::mutex decision;
  return decision;
}
