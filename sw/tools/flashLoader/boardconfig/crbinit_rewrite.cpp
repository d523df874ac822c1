#include "sw/tools/flashLoader/boardconfig/crbinit_rewrite.h"

#include <cstdio>
#include <string>

#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/adapter/board_sector_areas.h"
#include "sw/tools/flashLoader/adapter/board_sector_edit.h"
#include "sw/tools/flashLoader/adapter/cut_short_edit.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/safe_sector_rewrite.h"
#include "sw/tools/flashLoader/adapter/sector_copy_file.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;

constexpr uint32_t kCrbinitSector = 0;

}  // namespace

int read_crbinit_sector(const DeviceHandle& handle, std::vector<uint32_t>* sector) {
  if (read_area(handle, FlashLayout::kCrbinitArea, kSectorWords, sector) != 0) return kSettingReadFailed;
  // Nothing is decided from a table an earlier edit left half written.
  return refuse_if_sector_edit_cut_short(handle, kCrbinitSector, *sector);
}

std::optional<size_t> crbinit_value_index(const std::vector<uint32_t>& sector, uint32_t address) {
  if (sector.size() < 2) return std::nullopt;
  const size_t first = sector[1] & 0xFFFF;
  const size_t count = sector[1] >> 16;
  for (size_t i = 0; i < count && first + 2 * i + 1 < sector.size(); ++i)
    if (sector[first + 2 * i + 1] == address) return first + 2 * i;
  return std::nullopt;
}

int rewrite_crbinit_sector(const DeviceHandle& handle, const std::vector<uint32_t>& before,
                           const std::vector<uint32_t>& after) {
  BoardSectorRead board;
  if (read_board_sector(handle, &board) != 0) return kSettingReadFailed;
  const std::string serial = serial_in_board_sector(board.sector);

  SectorEdit edit;
  edit.sector = kCrbinitSector;
  edit.before = before;
  edit.after = after;
  edit.failureLine = "Failed to write crbinit...\n";
  edit.failureCode = kSettingRewriteFailed;
  std::string sectorCopy;
  if (int written = rewrite_sector_safely(handle, edit, serial, &sectorCopy); written != 0) return written;

  out_printf("Updating MD5 checksum...\n");
  flush_out();
  BoardSectorAreas changed = board.areas;
  int result = kExitGeneralFailure;
  if (store_sector_digest(changed, kCrbinitSector, after)) {
    BoardSectorRewrite how;
    how.failureCode = kExitGeneralFailure;
    how.sealFailureCode = kExitGeneralFailure;
    result = rewrite_board_sector(handle, board, changed, how);
  }
  if (result == kExitOk)
    discard_sector_copy(sectorCopy);
  else
    put_back_sector(handle, kCrbinitSector, before, sectorCopy);
  return result;
}
