#include "sw/tools/flashLoader/adapter/sector_digest_update.h"

#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/adapter/board_sector_edit.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/safe_sector_rewrite.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"

int update_sector_digest(const DeviceHandle& handle, uint32_t sector) {
  if (sector >= burnkit::FlashLayout::kSectorCount) return -1;
  BoardSectorRead board;
  if (int read = read_board_sector(handle, &board); read != 0) return read;
  BoardSectorAreas changed = board.areas;
  if (sector != burnkit::FlashLayout::kBoardSectorNumber) {
    std::vector<uint32_t> words;
    if (int read = read_whole_sector(handle, sector, &words); read != 0) return read;
    if (!store_sector_digest(changed, sector, words)) return -1;
  }
  BoardSectorRewrite how;
  how.failureCode = kExitWriteFailed;
  how.eraseFailureCode = kDigestEraseFailed;
  how.sealFailureCode = kExitWriteFailed;
  return rewrite_board_sector(handle, board, changed, how);
}
