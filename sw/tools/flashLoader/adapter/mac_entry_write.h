// Writing one MAC address slot of the user area: the board sector is
// rebuilt with the new slot, checked, and its MD5 digest brought up to date.
#pragma once

#include <array>
#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

using MacAddress = std::array<uint8_t, 6>;  // display order

inline constexpr uint32_t kMacSlotCount = 128;
inline constexpr int kVpdReadFailed = 21;
inline constexpr int kMacRejected = 24;
inline constexpr int kMacDigestFailed = 16;

// Puts the address into user-area slot `slot` (0-127, taken as given on
// every board type). 0; 31 when the board type cannot be read; 24 for a
// group or all-zero address, or when the slot does not read back; 21 when
// the VPD area cannot be read; 7, 14 or -1 when the rewrite failed; 16 when
// the digest update failed; another read failure's code.
int mac_entry_write(const DeviceHandle& handle, uint32_t slot, const MacAddress& mac);
