#include "sw/tools/flashLoader/boardconfig/board_sector_word_rewrite.h"

#include "sw/tools/flashLoader/adapter/board_sector_areas.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/adapter/sector_digest_update.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "romimage/flash_layout.h"

namespace {

using burnkit::FlashLayout;

int write_areas(const DeviceHandle& handle, const BoardSectorAreas& areas) {
  if (erase_sector(handle, FlashLayout::kBoardSector) != 0) return -1;
  RomLockHold lock(handle);
  if (!lock.held()) return -1;
  return write_board_sector_areas_held(handle, areas);
}

}  // namespace

int rewrite_user_area_word(const DeviceHandle& handle, uint32_t userOffset, uint32_t value) {
  BoardSectorAreas areas;
  if (read_board_sector_areas(handle, &areas) != 0) return kSettingReadFailed;
  areas.userArea[userOffset / 4] = value;
  // The word read back after the rewrite: a write the part did not take must
  // not end as a success.
  uint32_t written = ~value;
  if (write_areas(handle, areas) != 0 ||
      read_words(handle, FlashLayout::kUserArea + userOffset, {&written, 1}) != 0 || written != value) {
    report_rewrite_failure("Failed to write user area...\n");
    return kSettingRewriteFailed;
  }
  return 0;
}

int refresh_board_sector_digest(const DeviceHandle& handle) {
  return update_sector_digest(handle, FlashLayout::kBoardSectorNumber) == 0 ? 0 : kBoardDigestFailed;
}
