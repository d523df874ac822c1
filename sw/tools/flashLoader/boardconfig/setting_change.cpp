#include "sw/tools/flashLoader/boardconfig/setting_change.h"

#include <cstdio>

void report_rewrite_failure(const char* failureLine) {
  std::fprintf(stderr, "%s", failureLine);
  std::fprintf(stderr, "Flash may be corrupted...\n");
}
