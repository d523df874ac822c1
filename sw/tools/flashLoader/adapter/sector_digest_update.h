// After an edit of the flash outside a full upgrade, the edited sector's
// slot of the MD5 table is brought up to date. The table lives in the board
// sector, so that sector is rebuilt around it.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

inline constexpr int kDigestEraseFailed = 7;

// Puts the digest of sector n into slot n and rewrites the board sector's
// four areas (the caller has unprotected the flash). After an edit of sector
// 0 the callers update sector 0, then 62, so that slot 62 covers the new
// slot 0. 0; a read failure's code; 20; 7 when the erase failed; 14 when
// the lock or a write failed.
int update_sector_digest(const DeviceHandle& handle, uint32_t sector);
