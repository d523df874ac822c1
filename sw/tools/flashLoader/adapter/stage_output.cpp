#include "sw/tools/flashLoader/adapter/stage_output.h"

#include <cstdio>

void show_stage(int stage, int lastStage, const char* name) {
  std::printf("%d/%d - %s\n", stage, lastStage, name);
  std::fflush(stdout);
}
