// Wake-on-LAN per port: bit (port modulo 32) of the register-initialisation
// entry for 0x41602184, mirrored in the live register 0x08202188 so that it
// holds before the chip next starts.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

inline constexpr uint32_t kRegLiveWolMask = 0x08202188;

// "Enabling WOL on port %d.......". 0 (also when already enabled: "WOL on
// port %d is already enabled!", the live bit set if it was not); 1 when
// the rewrite failed; 12 when sector 0 cannot be read; 31 when a digest
// update failed; 38 on the boards that cannot wake and when the table has
// no WOL entry.
int enable_wol(const DeviceHandle& handle, uint32_t port);

// "Disabling WOL on port %d......."; the same results without the board
// refusal ("WOL is already disabled on port %d !" when the bit is clear).
// In both, the live bit changes only once the flash holds the change; a
// failed change leaves the flash as it was (or names the file that holds
// it) and the live bit too.
int disable_wol(const DeviceHandle& handle, uint32_t port);
