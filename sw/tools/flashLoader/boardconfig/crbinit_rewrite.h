// Changing the value of one entry of the register-initialisation table:
// sector 0 is read whole, edited in memory and rewritten safely, then the
// board sector (which holds the table of digests) is rewritten safely with
// the new digests of sector 0 and of itself. When the second step fails,
// sector 0 is put back too, so that the flash holds either the whole change
// or none of it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// The 16384 words of sector 0. 0; 12 when they cannot be read; 13 when they
// do not match their digest (an earlier edit cut short: see cut_short_edit.h).
int read_crbinit_sector(const DeviceHandle& handle, std::vector<uint32_t>* sector);

// The word index of the value of the first entry for the register, or
// nothing when the table has no such entry (entries past the sector's end
// do not count).
std::optional<size_t> crbinit_value_index(const std::vector<uint32_t>& sector, uint32_t address);

// Writes the edited sector 0 (`after`; `before` as read), then
// "Updating MD5 checksum...\n" and the digests; the caller has unprotected
// the flash. 0; 12 when the board sector cannot be read (nothing erased);
// 16 when a sector's copy cannot be saved; 1 after "Failed to write
// crbinit...\n" when sector 0 could not be written as meant; 31 when the
// digests could not be brought up to date. After a failure the sectors hold
// what they held before, or the lines name the file and the command that
// put them back.
int rewrite_crbinit_sector(const DeviceHandle& handle, const std::vector<uint32_t>& before,
                           const std::vector<uint32_t>& after);
