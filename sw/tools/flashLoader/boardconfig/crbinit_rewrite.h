// Changing the value of one entry of the register-initialisation table:
// sector 0 is read whole, edited in memory, erased and written back, then
// the digests of sector 0 and of the board sector (which holds the table
// of digests) are brought up to date.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// The 16384 words of sector 0. 0, or 12.
int read_crbinit_sector(const DeviceHandle& handle, std::vector<uint32_t>* sector);

// The word index of the value of the first entry for the register, or
// nothing when the table has no such entry (entries past the sector's end
// do not count).
std::optional<size_t> crbinit_value_index(const std::vector<uint32_t>& sector, uint32_t address);

// Erases sector 0 and writes the edited sector back; the caller has
// unprotected the flash. 0, or 1 after "Failed to write crbinit...\n" and
// "Flash may be corrupted...\n".
int rewrite_crbinit_sector(const DeviceHandle& handle, const std::vector<uint32_t>& sector);

// "Updating MD5 checksum...\n", then the digests of sector 0 and sector 62.
// 0, or 31 when either failed.
int refresh_crbinit_digests(const DeviceHandle& handle);
