// What each option does, in the order the options are given, with the rules
// on which option may come first and who may use which.
#pragma once

#include "sw/tools/flashLoader/frontend/option_parser.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"

// Applies the first-option and privilege rules to the option the parser
// returned, counts it and handles it. kGoOn when the run goes on;
// otherwise the exit code it ends with.
StepResult handle_option(int option, const OptionScan& scan);
