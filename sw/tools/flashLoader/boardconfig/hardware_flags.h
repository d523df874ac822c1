// The user area's hardware-flags word, read by the upgrade wrapper: bit 31
// says the tool wrote it, bits 0-1 hold the value.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

inline constexpr uint32_t kHardwareFlagsWritten = 0x80000000;
// An erased word reads all ones: bit 31 set, yet never written.
inline constexpr uint32_t kHardwareFlagsErased = 0xFFFFFFFF;

// Writes 0x80000000 | (value & 3) by a safe rewrite of the board sector,
// sealed with its digest. 0; 1 when the rewrite failed ("Failed to write
// user area..."); 12 when the sector could not be read (nothing erased); 13
// when the digest could not be sealed; 16 when the sector's copy could not
// be saved (nothing erased). After a failure the sector holds what it held
// before, or the lines name the file and the command that put it back.
int set_hardware_flags(const DeviceHandle& handle, uint32_t value);
