#include "sw/tools/flashLoader/boardconfig/pxe_setting.h"

#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/boardconfig/board_sector_word_rewrite.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "romimage/flash_layout.h"

using burnkit::FlashLayout;
using burnkit::UserArea;

int set_pxe(const DeviceHandle& handle, uint32_t port, bool on) {
  uint32_t mask = 0;
  if (read_words(handle, FlashLayout::kUserArea + UserArea::kPxeEnable, {&mask, 1}) != 0) return kSettingReadFailed;
  const uint32_t bit = 1u << (port % 32);
  if (((mask & bit) != 0) == on) return 0;

  UnprotectedFlash unprotected(handle);

  if (!unprotected.unprotected()) return report_unprotect_failure();
  if (on) return rewrite_user_area_word(handle, UserArea::kPxeEnable, mask | bit, "Failed to write user area...\n",
                                        kSettingRewriteFailed);
  return rewrite_user_area_word(handle, UserArea::kPxeEnable, mask & ~bit, "Failed to write pxe_enable flag\n",
                                kPxeWordWriteFailed);
}
