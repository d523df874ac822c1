// A setting kept in one user-area word that can only be changed by
// rewriting the board sector (bits that must become 1).
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Reads the board sector's four areas, replaces the user-area word at
// userOffset, erases the sector and writes the areas back; the caller has
// unprotected the flash. Nothing is erased unless every area was read. 0;
// 12 when a read failed; 1 after "Failed to write user area...\n" and
// "Flash may be corrupted...\n" when the erase or a write failed.
int rewrite_user_area_word(const DeviceHandle& handle, uint32_t userOffset, uint32_t value);

// The board sector's slot of the MD5 table brought up to date: 0, or 13.
int refresh_board_sector_digest(const DeviceHandle& handle);
