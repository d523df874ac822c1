#include "sw/tools/flashLoader/boardconfig/board_area_write.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "sw/tools/flashLoader/adapter/board_sector_areas.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/progress_output.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/boardconfig/board_sector_word_rewrite.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/adapter/stage_output.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

constexpr int kLastStage = 14;

int read_kept_areas(const DeviceHandle& handle, BoardSectorAreas* areas) {
  if (read_area(handle, FlashLayout::kVpdArea, FlashLayout::kVpdAreaSize / 4, &areas->vpdArea) != 0) {
    err_printf("Failed reading vpd area\n");
    return kSettingReadFailed;
  }
  if (read_area(handle, FlashLayout::kUserArea, FlashLayout::kUserAreaSize / 4, &areas->userArea) != 0) {
    err_printf("Failed reading user area\n");
    return kSettingReadFailed;
  }
  if (read_area(handle, FlashLayout::kFeatureArea, FlashLayout::kFeatureAreaSize / 4, &areas->featureArea) != 0) {
    err_printf("Failed reading feature area\n");
    return kSettingReadFailed;
  }
  return 0;
}

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

}  // namespace

int write_board_areas(const DeviceHandle& handle, std::span<const uint8_t> area, const FunctionMasks& masks) {
  BoardSectorAreas areas;
  if (int read = read_kept_areas(handle, &areas); read != 0) return read;
  areas.userArea[UserArea::kFunctionMaskLow / 4] = masks.low;
  areas.userArea[UserArea::kFunctionMaskHigh / 4] = masks.high;
  std::vector<uint32_t> propertyWords(area.size() / 4);
  std::memcpy(propertyWords.data(), area.data(), 4 * propertyWords.size());

  UnprotectedFlash unprotected(handle);
  if (erase_sector(handle, FlashLayout::kBoardSector) != 0) {
    err_printf("Failed clearing user sector\n");
    return kSettingRewriteFailed;
  }
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
  const int property = write_under_lock(handle, FlashLayout::kVnicArea, propertyWords, "Failed to update property area\n");
  if (property == kFlashLockNotTaken) return property;
  if (result == 0) result = property;
  const int feature = write_under_lock(handle, FlashLayout::kFeatureArea, areas.featureArea,
                                       "Failed to restore feature area\n");
  if (result == 0) result = feature;

  if (refresh_board_sector_digest(handle) != 0) {
    err_printf("Failed to update md5\n");
    if (result == 0) result = kBoardDigestFailed;
  }
  return result;
}
