// Switching the boot ROM (PXE) of one port: bit (port modulo 32) of the
// user area's PXE enable word.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Turning it off clears the bit in place (one word, no erase); turning it
// on needs the board sector rewritten. Then the sector's digest is brought
// up to date. 0, also when the bit already had the state (nothing
// written); 1 when the rewrite failed; 11 when the word write failed; 12
// when the word cannot be read; 13 when the digest update failed.
int set_pxe(const DeviceHandle& handle, uint32_t port, bool on);
