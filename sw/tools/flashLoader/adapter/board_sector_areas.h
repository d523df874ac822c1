// The board sector (sector 62) holds four areas that belong to the board and
// survive every rewrite: the vNIC property area, the user area (with the MD5
// table), the VPD area and the feature area. Rewriting the sector means
// reading all four first, erasing, and writing them back; anything else in
// the sector is not kept (board_sector_edit.h).
#pragma once

#include <cstdint>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

inline constexpr int kOutOfMemory = 20;

struct BoardSectorAreas {
  std::vector<uint32_t> userArea;     // 536 words at 0x3E8000
  std::vector<uint32_t> vpdArea;      // 256 words at 0x3E8C00
  std::vector<uint32_t> vnicArea;     // from 0x3E0000; empty when the area is not active
  std::vector<uint32_t> featureArea;  // 1024 words at 0x3E9000
};

// count words from a flash offset into *words (read_words). 0, its failure
// code, or 20 when there is no memory for them.
int read_area(const DeviceHandle& handle, uint32_t offset, size_t count, std::vector<uint32_t>* words);

// The board sector as it reads once the areas are written into it erased.
std::vector<uint32_t> board_sector_picture(const BoardSectorAreas& areas);
