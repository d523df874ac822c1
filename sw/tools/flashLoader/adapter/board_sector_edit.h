// Board sector edits on top of the safe sector rewrite: the sector read
// whole, its four areas taken from that copy, changed in memory, and the
// sector rewritten as they picture it, sealed with its own digest. A sector
// whose digest slot must change with it (sector 0 after a table edit) has
// the new digest stored in the areas before the rewrite.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/board_sector_areas.h"

struct BoardSectorRead {
  std::vector<uint32_t> sector;  // the whole board sector as read
  BoardSectorAreas areas;        // its four areas, taken from that copy
};

// 0, the read's code, or 20.
int read_board_sector(const DeviceHandle& handle, BoardSectorRead* read);

// The areas of a whole copy of the board sector, as read_board_sector_areas
// reads them from the flash.
void board_sector_areas_of(const std::vector<uint32_t>& sector, BoardSectorAreas* areas);

// Stores the digest of a sector's intended words in its slot of the user
// area's MD5 table. False when the digest could not be computed.
bool store_sector_digest(BoardSectorAreas& areas, uint32_t sector, const std::vector<uint32_t>& words);

struct BoardSectorRewrite {
  // Writes the areas into the erased sector (stage lines, progress). Empty:
  // the sector's picture word by word.
  std::function<int(const BoardSectorAreas&)> write;
  const char* failureLine = nullptr;
  const char* eraseFailureLine = nullptr;
  int failureCode = 1;
  int eraseFailureCode = 0;  // 0: failureCode
  const char* sealFailureLine = nullptr;
  int sealFailureCode = 13;
};

// Rewrites the board sector (as read before: `read`) with the changed
// areas through rewrite_sector_safely; the caller has unprotected the flash.
int rewrite_board_sector(const DeviceHandle& handle, const BoardSectorRead& read, const BoardSectorAreas& changed,
                         const BoardSectorRewrite& how);
