// Rewriting the board sector with a new vNIC property area and function
// masks, every other area of the sector kept.
#pragma once

#include <cstdint>
#include <span>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/boardconfig/function_masks.h"

// Reads the VPD, user and feature areas (nothing is erased unless all
// three were read), puts the masks into the user area, erases the sector
// and writes the user area (stage 8 of 14, with progress), the VPD area
// (stage 9), the property area (area.size() / 4 words from 0x3E0000) and
// the feature area, then the sector's digest. A failed area is reported
// and the others are still written. 0, or the first failure's code: 12 a
// read, 1 the erase, 9 the ROM lock, 14 a write, 13 the digest.
int write_board_areas(const DeviceHandle& handle, std::span<const uint8_t> area, const FunctionMasks& masks);
