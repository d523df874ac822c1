// Writing and erasing the flash under the ROM lock. NOR flash: a write can
// only clear bits, so whole areas are rewritten into an erased sector.
#pragma once

#include <cstdint>
#include <span>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

inline constexpr size_t kSectorWords = 0x10000 / 4;
inline constexpr size_t kVpdAreaWords = 256;

// One sector's worth of words into a sector erased before: words that hold
// the erased value are not sent. 0; 9 when the lock is not taken; 14 at the
// first word that failed.
int write_sector_image(const DeviceHandle& handle, std::span<const uint32_t, kSectorWords> words,
                       uint32_t sectorOffset);

// The VPD area's 256 words at 0x3E8C00, every one sent, with progress. 0; -1
// when the lock is not taken; 14 when a word failed.
int write_vpd_area(const DeviceHandle& handle, std::span<const uint32_t, kVpdAreaWords> words);

// The user area's PXE enable word, without an erase: only bits can be
// cleared. The driver's status, or -1 when the lock is not taken or the
// call failed.
int write_pxe_word(const DeviceHandle& handle, uint32_t value);

// Erases the 64 KiB sector holding the offset. 0, or -1 (when the part did
// not finish: "\nRom Erase Sector wait failed!!!\n").
int erase_sector(const DeviceHandle& handle, uint32_t offset);
