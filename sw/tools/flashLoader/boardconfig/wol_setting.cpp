#include "sw/tools/flashLoader/boardconfig/wol_setting.h"

#include <cstdio>
#include <vector>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "sw/tools/flashLoader/boardconfig/crbinit_rewrite.h"
#include "sw/tools/flashLoader/boardconfig/crbinit_table.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

void set_live_bit(const DeviceHandle& handle, uint32_t bit, bool on) {
  const uint32_t live = cvm_ppd_read(handle, kRegLiveWolMask);
  if (((live & bit) != 0) == on) return;
  cvm_ppd_write(handle, kRegLiveWolMask, on ? live | bit : live & ~bit);
}

// The table's WOL entry, or 12 / 38 when the sector cannot be read or
// has none.
int find_wol_entry(const DeviceHandle& handle, std::vector<uint32_t>* sector, size_t* index) {
  if (int read = read_crbinit_sector(handle, sector); read != 0) return read;
  std::optional<size_t> found = crbinit_value_index(*sector, kCrbinitWolMask);
  if (!found) return kSettingNotSupported;
  *index = *found;
  return 0;
}

}  // namespace

int enable_wol(const DeviceHandle& handle, uint32_t port) {
  const uint32_t subsystem = read_subsystem_id(handle);
  if (subsystem_has(subsystem, kNoWol)) return kSettingNotSupported;
  out_printf("Enabling WOL on port %d.......\n", static_cast<int>(port));

  std::vector<uint32_t> sector;
  size_t index = 0;
  if (int found = find_wol_entry(handle, &sector, &index); found != 0) return found;
  const uint32_t bit = 1u << (port % 32);
  if (sector[index] & bit) {
    out_printf("WOL on port %d is already enabled!\n", static_cast<int>(port));
    set_live_bit(handle, bit, true);
    return 0;
  }
  std::vector<uint32_t> edited = sector;
  edited[index] |= bit;
  int result = 0;
  {
    UnprotectedFlash unprotected(handle);
    if (!unprotected.unprotected()) return report_unprotect_failure();
    result = rewrite_crbinit_sector(handle, sector, edited);
  }
  // The live mask follows the flash only once the flash holds the change.
  if (result == 0) set_live_bit(handle, bit, true);
  return result;
}

int disable_wol(const DeviceHandle& handle, uint32_t port) {
  out_printf("Disabling WOL on port %d.......\n", static_cast<int>(port));

  std::vector<uint32_t> sector;
  size_t index = 0;
  if (int found = find_wol_entry(handle, &sector, &index); found != 0) return found;
  const uint32_t bit = 1u << (port % 32);
  if (!(sector[index] & bit)) {
    out_printf("WOL is already disabled on port %d !\n", static_cast<int>(port));
    set_live_bit(handle, bit, false);
    return 0;
  }
  std::vector<uint32_t> edited = sector;
  edited[index] &= ~bit;
  int result = 0;
  {
    UnprotectedFlash unprotected(handle);
    if (!unprotected.unprotected()) return report_unprotect_failure();
    result = rewrite_crbinit_sector(handle, sector, edited);
  }
  if (result == 0) set_live_bit(handle, bit, false);
  return result;
}
