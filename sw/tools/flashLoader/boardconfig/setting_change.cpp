#include "sw/tools/flashLoader/boardconfig/setting_change.h"

#include <cstdio>
#include "sw/tools/flashLoader/runstate/tool_output.h"

void report_rewrite_failure(const char* failureLine) {
  err_printf("%s", failureLine);
  err_printf("Flash may be corrupted...\n");
}
