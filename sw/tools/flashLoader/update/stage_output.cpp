#include "sw/tools/flashLoader/update/stage_output.h"

#include <cstdio>

namespace {

int g_last_stage = -1;

}  // namespace

void show_stage(int stage, int lastStage, const char* name) {
  std::printf("%d/%d - %s\n", stage, lastStage, name);
  std::fflush(stdout);
  g_last_stage = stage;
}

int last_stage_shown() { return g_last_stage; }
