// The usage and version texts, both on standard output.
#pragma once

#include "sw/tools/flashLoader/runstate/tool_version.h"

void print_usage();
void print_version();
