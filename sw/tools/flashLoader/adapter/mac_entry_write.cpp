#include "sw/tools/flashLoader/adapter/mac_entry_write.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_sector_edit.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/adapter/sector_digest_update.h"
#include "sw/tools/flashLoader/adapter/write_protection.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/flash_write_phase.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

uint8_t* slot_bytes(std::vector<uint32_t>& userArea, uint32_t slot) {
  return reinterpret_cast<uint8_t*>(userArea.data()) + UserArea::kMacSlots + UserArea::kMacSlotSize * slot;
}

// A board's own address must be an individual one, and not all zeros.
bool acceptable_mac(const MacAddress& mac) {
  const char* reason = nullptr;
  if (mac[0] & 1) reason = "Bit [0] of the first byte must be '0'";
  else if (std::all_of(mac.begin(), mac.end(), [](uint8_t b) { return b == 0; })) reason = "All 0's not allowed";
  if (!reason) return true;
  err_printf("Invalid MAC Address. %s.\n", reason);
  return false;
}

// Writes the areas into the erased board sector: user area, vNIC area, VPD
// area (with progress), feature area; each failure says which.
int write_mac_areas(const DeviceHandle& handle, const BoardSectorAreas& areas) {
  int result = 0;
  {
    RomLockHold lock(handle);
    if (!lock.held()) return kFlashWriteFailed;
    if (write_flash_words(handle, FlashLayout::kUserArea, areas.userArea, true) != 0) return kFlashWriteFailed;
    if (write_flash_words(handle, FlashLayout::kVnicArea, areas.vnicArea, true) != 0) {
      err_printf("Failed vprop area restore\n");
      result = kFlashWriteFailed;
    }
  }
  if (write_vpd_area(handle, std::span<const uint32_t, kVpdAreaWords>(areas.vpdArea.data(), kVpdAreaWords)) != 0) {
    err_printf("Failed to restore VPD area\n");
    result = kFlashWriteFailed;
  }
  RomLockHold lock(handle);
  if (!lock.held()) return kFlashWriteFailed;
  if (write_flash_words(handle, FlashLayout::kFeatureArea, areas.featureArea, true) != 0) {
    err_printf("Failed to restore feature area\n");
    return kFlashWriteFailed;
  }
  return result;
}

}  // namespace

int mac_entry_write(const DeviceHandle& handle, uint32_t slot, const MacAddress& mac) {
  uint32_t boardType = 0;
  if (read_board_type(handle, &boardType) != 0) {
    err_printf("Cannot get boardtype\n");
    return kExitGeneralFailure;
  }
  if (slot >= kMacSlotCount) return -1;
  if (!acceptable_mac(mac)) return kMacRejected;

  BoardSectorRead read;
  if (read_board_sector(handle, &read) != 0) return kVpdReadFailed;
  BoardSectorAreas changed = read.areas;
  uint8_t* bytes = slot_bytes(changed.userArea, slot);
  std::reverse_copy(mac.begin(), mac.end(), bytes);
  if (bytes[6] == 0xFF) bytes[6] = 0;
  if (bytes[7] == 0xFF) bytes[7] = 0;

  if (unprotect(handle) != 0) return kFlashWriteFailed;
  BoardSectorRewrite how;
  how.write = [&](const BoardSectorAreas& unsealed) { return write_mac_areas(handle, unsealed); };
  how.failureCode = kMacRejected;
  how.eraseFailureCode = kDigestEraseFailed;
  how.sealFailureCode = kMacDigestFailed;
  int result = 0;
  {
    FlashWriteInProgress writing;
    result = rewrite_board_sector(handle, read, changed, how);
  }
  protect(handle);
  return result;
}
