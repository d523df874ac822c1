#include "sw/tools/flashLoader/runstate/flash_write_phase.h"

std::atomic<int32_t> g_flash_write{0};

std::mutex& flash_write_decision() {
  static std::mutex decision;
  return decision;
}
