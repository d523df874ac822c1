#include "sw/tools/flashLoader/boardconfig/hardware_flags.h"

#include "sw/tools/flashLoader/boardconfig/board_sector_word_rewrite.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "romimage/flash_layout.h"

int set_hardware_flags(const DeviceHandle& handle, uint32_t value) {
  UnprotectedFlash unprotected(handle);
  if (!unprotected.unprotected()) return report_unprotect_failure();
  const uint32_t word = kHardwareFlagsWritten | (value & 3);
  return rewrite_user_area_word(handle, burnkit::UserArea::kHardwareFlags, word, "Failed to write user area...\n",
                                kSettingRewriteFailed);
}
