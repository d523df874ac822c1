#include "sw/tools/flashLoader/boardconfig/board_area_write.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/progress_output.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/adapter/board_sector_edit.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/adapter/stage_output.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

constexpr int kLastStage = 14;

// Writes words under a lock of their own; the failure line when a word fails.
int write_under_lock(const DeviceHandle& handle, uint32_t offset, std::span<const uint32_t> words,
                     const char* failureLine, void (*progress)(size_t, size_t) = nullptr) {
  RomLockHold lock(handle);
  if (!lock.held()) {
    err_printf("Failed to acquire rom lock\n");
    return kFlashLockNotTaken;
  }
  if (write_flash_words(handle, offset, words, true, progress) != 0) {
    err_printf("%s", failureLine);
    return kFlashWriteFailed;
  }
  return 0;
}

// Writes the areas into the erased sector as the commit shows it: user area
// (stage 8, with progress), VPD area (stage 9), property area, feature area.
// Every area is tried; the first failure's code.
int write_areas_in_stages(const DeviceHandle& handle, const BoardSectorAreas& areas) {
  show_stage(8, kLastStage, "User area");
  int result = write_under_lock(handle, FlashLayout::kUserArea, areas.userArea, "Failed to restore user area\n",
                                show_progress_of);
  if (result == kFlashLockNotTaken) return result;
  finish_progress(last_progress_shown());

  show_stage(9, kLastStage, "VPD area");
  if (write_vpd_area(handle, std::span<const uint32_t, kVpdAreaWords>(areas.vpdArea.data(), kVpdAreaWords)) != 0) {
    err_printf("Failed to restore VPD area\n");
    if (result == 0) result = kFlashWriteFailed;
  }
  const int property = write_under_lock(handle, FlashLayout::kVnicArea, areas.vnicArea, "Failed to update property area\n");
  if (property == kFlashLockNotTaken) return property;
  if (result == 0) result = property;
  const int feature = write_under_lock(handle, FlashLayout::kFeatureArea, areas.featureArea,
                                       "Failed to restore feature area\n");
  if (result == 0) result = feature;
  return result;
}

}  // namespace

int write_board_areas(const DeviceHandle& handle, std::span<const uint8_t> area, const FunctionMasks& masks) {
  BoardSectorRead read;
  if (read_board_sector(handle, &read) != 0) {
    err_printf("Failed reading vpd area\n");
    return kSettingReadFailed;
  }
  BoardSectorAreas changed = read.areas;
  changed.userArea[UserArea::kFunctionMaskLow / 4] = masks.low;
  changed.userArea[UserArea::kFunctionMaskHigh / 4] = masks.high;
  changed.vnicArea.assign(area.size() / 4, 0);
  std::memcpy(changed.vnicArea.data(), area.data(), 4 * changed.vnicArea.size());

  UnprotectedFlash unprotected(handle);

  if (!unprotected.unprotected()) return report_unprotect_failure();
  BoardSectorRewrite how;
  how.write = [&](const BoardSectorAreas& unsealed) { return write_areas_in_stages(handle, unsealed); };
  how.eraseFailureLine = "Failed clearing user sector\n";
  how.failureCode = kSettingRewriteFailed;
  how.sealFailureLine = "Failed to update md5\n";
  how.sealFailureCode = kBoardDigestFailed;
  return rewrite_board_sector(handle, read, changed, how);
}
