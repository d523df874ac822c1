// The second half of opening a port for a run that will write: a driver
// switch that an interrupted run left on the port is cleared, the port is
// opened again (a switch closes it) and the board type is read. Both the -i
// option and the discovery report's upgrade take these steps after the
// adapter check.
#pragma once

#include <cstdint>
#include <string>

#include "sw/tools/flashLoader/runstate/exit_codes.h"

// kGoOn with *port and *boardType; otherwise the code that ends the run:
// 1 when the switch cannot be cleared ("Clear settings...Failed."), 31 when
// the port does not open again (*port then 0), 18 when the board type
// cannot be read ("Cannot get boardtype"), each line on standard error.
StepResult clear_switch_and_reopen(const std::string& interfaceName, uint32_t* port, uint32_t* boardType);
