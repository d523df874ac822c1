#include "sw/tools/flashLoader/frontend/not_available.h"

#include <cstdio>

int not_available(const char* what) {
  std::fprintf(stderr, "%s is not available in this version of burnkit\n", what);
  return 31;
}
