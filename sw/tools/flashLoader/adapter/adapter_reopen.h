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

// Before the adapter check: a switch that an interrupted run left may have
// left the port's function disabled, and a disabled function cannot be
// opened, so the check could never pass and the repair above never run. The
// switch is repaired first when the port's adapter instance carries its
// marker. kGoOn; 1 after "Clear settings...Failed." when it cannot be.
StepResult repair_switch_before_open(const std::string& interfaceName);
