// The steps of opening the adapter named by -i: open and check it, clear a
// driver switch left behind by an interrupted run, reopen it, learn its
// board type and port count.
#pragma once

#include <cstdint>
#include <string>

// The adapter check: opens the port, sets the nic type and proves the flash
// readable under the ROM lock. 0 and *port; otherwise the check's code
// ("'%s' is not a Corvane Interface" on standard error unless in report
// mode).
int open_and_check_adapter(const std::string& interfaceName, uint32_t* port);

// Clears a quiescent-mode switch that an interrupted run left on the port.
// 0 when there was none or it is cleared; 31 when clearing failed.
int clear_leftover_driver_switch(const std::string& interfaceName);

// The board type (from the flash while the driver has not published it)
// and its port count from the board table (0 for a board type it does not
// know). 0, or -1 when the board type cannot be read.
int learn_board_type(uint32_t* boardType, uint32_t* portCount);
