// Which board the open adapter is: its board type (as the driver publishes
// it, or from the flash), its PCI subsystem word, its serial number and the
// identity that names it in reports.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

inline constexpr size_t kSerialNumberSize = 32;
using SerialNumber = std::array<char, kSerialNumberSize>;

// The board type register, or the flash's board configuration word while the
// driver has not published it (0, 0x55555555 or 0xFFFFFFFF). 0 and
// *boardType, or -1.
int read_board_type(const DeviceHandle& handle, uint32_t* boardType);

// The board type word of the flash's board configuration area, under the
// ROM lock. 0 and *boardType, or -1.
int read_board_type_from_flash(const DeviceHandle& handle, uint32_t* boardType);

// Subsystem id << 16 | subsystem vendor id; 0 when the read failed.
uint32_t read_subsystem_id(const DeviceHandle& handle);

// The user area's 32 serial-number bytes, as stored (NUL-padded). 0, or the
// flash read's failure code.
int read_serial_number(const DeviceHandle& handle, SerialNumber* serial);

// The serial number up to its first NUL byte.
std::string serial_number_text(const SerialNumber& serial);
// The same, empty as a whole when it holds anything but letters and digits.
std::string alphanumeric_serial_number(const SerialNumber& serial);

// The key that names the adapter in reports: on nic type 3 the efuse id
// ("0x%016llx", after get_efuse_id's line) unless it is 0 or all ones;
// otherwise the serial number. 0 and *identity, or the serial read's code.
int adapter_identity(const DeviceHandle& handle, std::string* identity);
