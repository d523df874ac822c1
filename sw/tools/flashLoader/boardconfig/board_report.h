// The board information report of the open adapter and one of its ports
// (--info), the short summary an upgrade shows, and the list of the board's
// MAC addresses.
#pragma once

#include <array>
#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/boardconfig/user_area_record.h"

// Board type and name, chip revision, serial id, efuse id (nic type 3),
// firmware versions on flash and running, driver and BIOS versions, the
// port's MAC address, subsystem id and hardware flags, on standard output.
// Boards 0x80 and 0x29 have their extra MAC slots repaired first. 0, or the
// flash read's code (after "Failed to get board information.\n" on
// standard error) when the user area cannot be read.
int board_report(const DeviceHandle& handle, uint32_t port);

// Board name, firmware version, every port's MAC address and the serial
// number of a user area already read. 0; 31 ("Cannot get boardtype\n" on
// standard error) when the board type cannot be read.
int board_summary(const DeviceHandle& handle, const UserAreaRecord& record);

struct AdapterMacList {
  std::array<std::array<uint8_t, 8>, 4> macs{};  // six bytes in display order, two zero
  uint32_t count = 0;                            // the board type's port count
};

// The board's port MAC addresses (extra slots repaired first on the boards
// that have them). 0, or the flash read's code after "Failed to get board
// information.\n" on standard error.
int get_adapter_mac_address(const DeviceHandle& handle, AdapterMacList* list);
