#include "sw/tools/flashLoader/adapter/progress_output.h"

#include <cstdio>
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

int g_last_percent = 0;

const bool kReset = register_state_reset([] { g_last_percent = 0; });

}  // namespace

void show_progress(int percent) {
  if (percent != g_last_percent) {
    out_printf("\r %3.3d%% ", percent);
    g_last_percent = percent;
  }
  flush_out();
}

void show_progress_of(size_t done, size_t total) {
  show_progress(total == 0 ? 100 : static_cast<int>(done * 100 / total));
}

void finish_progress(int percent) {
  show_progress(percent);
  out_printf(" - DONE\n");
  flush_out();
}

int last_progress_shown() { return g_last_percent; }
