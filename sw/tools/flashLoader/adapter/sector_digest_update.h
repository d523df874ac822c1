// Bringing one sector's slot of the MD5 table up to date with what the flash
// holds. The table lives in the board sector, so that sector is rewritten
// (safely, sealed with its own digest) around it.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

inline constexpr int kDigestEraseFailed = 7;

// Puts the digest of sector n as read into slot n (for the board sector:
// only its own seal); the caller has unprotected the flash. 0; a read
// failure's code; 16 when the sector's copy cannot be saved; 7 when the
// erase failed; 14 when a write failed or the sector did not read back.
int update_sector_digest(const DeviceHandle& handle, uint32_t sector);
