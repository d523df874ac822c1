#include "sw/tools/flashLoader/boardconfig/board_sector_word_rewrite.h"

#include "sw/tools/flashLoader/adapter/board_sector_edit.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"

int rewrite_user_area_word(const DeviceHandle& handle, uint32_t userOffset, uint32_t value, const char* failureLine,
                           int failureCode) {
  BoardSectorRead read;
  if (read_board_sector(handle, &read) != 0) return kSettingReadFailed;
  BoardSectorAreas changed = read.areas;
  changed.userArea[userOffset / 4] = value;
  BoardSectorRewrite how;
  how.failureLine = failureLine;
  how.failureCode = failureCode;
  how.sealFailureCode = kBoardDigestFailed;
  return rewrite_board_sector(handle, read, changed, how);
}
