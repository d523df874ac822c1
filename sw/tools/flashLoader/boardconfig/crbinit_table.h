// The register-initialisation table in flash sector 0, which the chip
// applies at start: word 1 gives the word index of the first entry (bits
// 0-15) and the entry count (bits 16-31); entry i is a value and a register
// address. Some board settings (WOL, NC-SI) are values of its entries.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

inline constexpr uint32_t kCrbinitWolMask = 0x41602184;
inline constexpr uint32_t kCrbinitNcsiSetting = 0x416020B4;

struct CrbinitEntry {
  uint32_t value;
  uint32_t address;
};

// The table's entries, read under the ROM lock: only the words the table
// occupies, and none beyond sector 0 whatever its header claims. 0, or 12
// when the lock is not taken or a word cannot be read.
int read_crbinit_entries(const DeviceHandle& handle, std::vector<CrbinitEntry>* entries);

// The first entry for the register, or nullptr.
const CrbinitEntry* find_crbinit_entry(std::span<const CrbinitEntry> entries, uint32_t address);
