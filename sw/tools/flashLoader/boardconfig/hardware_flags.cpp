#include "sw/tools/flashLoader/boardconfig/hardware_flags.h"

#include "sw/tools/flashLoader/boardconfig/board_sector_word_rewrite.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "romimage/flash_layout.h"

int set_hardware_flags(const DeviceHandle& handle, uint32_t value) {
  UnprotectedFlash unprotected(handle);
  const uint32_t word = kHardwareFlagsWritten | (value & 3);
  if (int written = rewrite_user_area_word(handle, burnkit::UserArea::kHardwareFlags, word); written != 0)
    return written;
  return refresh_board_sector_digest(handle);
}
