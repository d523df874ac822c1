#include "sw/tools/flashLoader/adapter/progress_output.h"

#include <cstdio>
#include "sw/tools/flashLoader/runstate/state_reset.h"

namespace {

int g_last_percent = 0;

const bool kReset = register_state_reset([] { g_last_percent = 0; });

}  // namespace

void show_progress(int percent) {
  if (percent != g_last_percent) {
    std::printf("\r %3.3d%% ", percent);
    g_last_percent = percent;
  }
  std::fflush(stdout);
}

void show_progress_of(size_t done, size_t total) {
  show_progress(total == 0 ? 100 : static_cast<int>(done * 100 / total));
}

void finish_progress(int percent) {
  show_progress(percent);
  std::printf(" - DONE\n");
  std::fflush(stdout);
}

int last_progress_shown() { return g_last_percent; }
