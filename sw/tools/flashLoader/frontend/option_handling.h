// What each option does, in the order the options are given, with the rules
// on which option may come first and who may use which.
#pragma once

#include <optional>

#include "sw/tools/flashLoader/frontend/option_parser.h"

// Applies the first-option and privilege rules to the option the parser
// returned, counts it and handles it. nullopt when the run goes on;
// otherwise the exit code it ends with.
std::optional<int> handle_option(int option, const OptionScan& scan);
