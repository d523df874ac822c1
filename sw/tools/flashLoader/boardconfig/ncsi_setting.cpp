#include "sw/tools/flashLoader/boardconfig/ncsi_setting.h"

#include <cstdio>
#include <vector>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/boardconfig/crbinit_rewrite.h"
#include "sw/tools/flashLoader/boardconfig/crbinit_table.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr uint32_t kNcsiOn = 0x9C51;

}  // namespace

int set_ncsi(const DeviceHandle& handle, bool on) {
  if (!subsystem_has(read_subsystem_id(handle), kNcsi)) return kSettingNotSupported;
  out_printf("%s NCSI .......\n", on ? "Enabling" : "Disabling");

  std::vector<uint32_t> sector;
  if (int read = read_crbinit_sector(handle, &sector); read != 0) return read;
  std::optional<size_t> index = crbinit_value_index(sector, kCrbinitNcsiSetting);
  if (!index) return kSettingNotSupported;
  if ((sector[*index] == kNcsiOn) == on) return 0;

  std::vector<uint32_t> edited = sector;
  edited[*index] = on ? kNcsiOn : 0;
  UnprotectedFlash unprotected(handle);
  if (!unprotected.unprotected()) return report_unprotect_failure();
  return rewrite_crbinit_sector(handle, sector, edited);
}
