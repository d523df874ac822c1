// Writing one MAC address slot of the user area: the board sector is
// rewritten safely with the new slot, read back whole, and sealed with its
// MD5 digest; a failure puts the old sector back.
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
// group or all-zero address, or when the sector does not read back as
// written; 21 when the board sector cannot be read; 7 when its erase
// failed; 14 when the part cannot be unprotected or a write failed; 16
// when the digest could not be sealed or the sector's copy not saved.
int mac_entry_write(const DeviceHandle& handle, uint32_t slot, const MacAddress& mac);
