#include "sw/tools/flashLoader/adapter/stage_output.h"

#include <cstdio>
#include "sw/tools/flashLoader/runstate/tool_output.h"

void show_stage(int stage, int lastStage, const char* name) {
  out_printf("%d/%d - %s\n", stage, lastStage, name);
  flush_out();
}
