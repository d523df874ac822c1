// The steps of opening the adapter named by -i: open and check it, clear a
// driver switch left behind by an interrupted run, reopen it, learn its
// board type.
//
// This build has no flash access yet: the check opens the driver channel and
// proves the name is a Corvane port, but does not yet classify the chip, take
// the ROM lock or read the flash; a leftover driver switch is recognised but
// cannot be cleared; the board type is the one the driver publishes.
#pragma once

#include <cstdint>
#include <string>

// Opens the adapter for work. 0 and *port; -1 when the name is no Corvane
// port ("'%s' is not a Corvane Interface" on standard error, silent in
// report mode).
int open_and_check_adapter(const std::string& interfaceName, uint32_t* port);

// 0 when the port carries no leftover quiescent-mode switch; 31 otherwise.
int clear_leftover_driver_switch(const std::string& interfaceName);

// 0 and the board type the driver publishes; -1 when it publishes none.
int published_board_type(uint32_t* boardType);
