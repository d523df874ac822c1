// Rewriting the board sector with a new vNIC property area and function
// masks, every other area of the sector kept.
#pragma once

#include <cstdint>
#include <span>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/boardconfig/function_masks.h"

// Reads the board sector whole (nothing is erased unless it was read),
// puts the masks into the user area and the new property area (area.size()
// / 4 words from 0x3E0000) in place of the old one, and rewrites the sector
// safely: erase, then the user area (stage 8 of 14, with progress), the VPD
// area (stage 9), the property area and the feature area, a read-back of
// the whole sector, and its digest. A failure puts the old sector back. 0,
// or the first failure's code: 12 the read, 16 the sector's copy not saved,
// 1 the erase or the read-back, 9 the ROM lock, 14 a write, 13 the digest.
int write_board_areas(const DeviceHandle& handle, std::span<const uint8_t> area, const FunctionMasks& masks);
