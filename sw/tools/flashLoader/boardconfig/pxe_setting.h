// Switching the boot ROM (PXE) of one port: bit (port modulo 32) of the
// user area's PXE enable word.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Either way the board sector is rewritten safely and sealed with its
// digest. 0, also when the bit already had the state (nothing written); 1
// when turning it on failed ("Failed to write user area..."), 11 when
// turning it off failed ("Failed to write pxe_enable flag"); 12 when the
// word cannot be read; 13 when the digest could not be sealed; 16 when the
// sector's copy could not be saved. A failure leaves the sector as it was,
// or names the file and the command that put it back.
int set_pxe(const DeviceHandle& handle, uint32_t port, bool on);
