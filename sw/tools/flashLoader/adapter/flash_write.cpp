#include "sw/tools/flashLoader/adapter/flash_write.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/flash_controller.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/progress_output.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

int write_locked(const DeviceHandle& handle, std::span<const uint32_t> words, uint32_t offset, bool skipErased,
                 bool showProgress, int lockFailure) {
  int result = 0;
  {
    RomLockHold lock(handle);
    if (!lock.held()) return lockFailure;
    if (write_flash_words(handle, offset, words, skipErased, showProgress ? show_progress_of : nullptr) != 0)
      result = kFlashWriteFailed;
  }
  if (showProgress) finish_progress(last_progress_shown());
  return result;
}

}  // namespace

int write_sector_image(const DeviceHandle& handle, std::span<const uint32_t, kSectorWords> words,
                       uint32_t sectorOffset) {
  return write_locked(handle, words, sectorOffset, true, false, kFlashLockNotTaken);
}

int write_vpd_area(const DeviceHandle& handle, std::span<const uint32_t, kVpdAreaWords> words) {
  return write_locked(handle, words, FlashLayout::kVpdArea, false, true, -1);
}

int write_pxe_word(const DeviceHandle& handle, uint32_t value) {
  RomLockHold lock(handle);
  if (!lock.held()) return -1;
  return write_word(handle, FlashLayout::kUserArea + UserArea::kPxeEnable, value);
}

int erase_sector(const DeviceHandle& handle, uint32_t offset) {
  RomLockHold lock(handle);
  if (!lock.held()) return -1;
  const int result = sector_erase(handle, offset);
  if (result != 0) out_printf("\nRom Erase Sector wait failed!!!\n");
  return result;
}
