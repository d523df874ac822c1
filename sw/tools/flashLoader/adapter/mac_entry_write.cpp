#include "sw/tools/flashLoader/adapter/mac_entry_write.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_sector_areas.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/adapter/sector_digest_update.h"
#include "sw/tools/flashLoader/adapter/write_protection.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

uint8_t* slot_bytes(std::vector<uint32_t>& userArea, uint32_t slot) {
  return reinterpret_cast<uint8_t*>(userArea.data()) + UserArea::kMacSlots + UserArea::kMacSlotSize * slot;
}
const uint8_t* slot_bytes(const std::vector<uint32_t>& userArea, uint32_t slot) {
  return reinterpret_cast<const uint8_t*>(userArea.data()) + UserArea::kMacSlots + UserArea::kMacSlotSize * slot;
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

// The rewrite of the board sector with the new slot, the flash unprotected.
int rewrite_board_sector(const DeviceHandle& handle, const BoardSectorAreas& areas) {
  if (erase_sector(handle, FlashLayout::kUserArea) != 0) return kDigestEraseFailed;
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
  if (!lock.held()) return -1;
  if (write_flash_words(handle, FlashLayout::kFeatureArea, areas.featureArea, true) != 0) {
    err_printf("Failed to restore feature area\n");
    return kFlashWriteFailed;
  }
  return result;
}

// The slot as the flash holds it now against what was written.
int verify_slot(const DeviceHandle& handle, uint32_t slot, const std::vector<uint32_t>& written) {
  std::vector<uint32_t> userArea;
  if (int read = read_area(handle, FlashLayout::kUserArea, FlashLayout::kUserAreaSize / 4, &userArea)) return read;
  return std::equal(slot_bytes(userArea, slot), slot_bytes(userArea, slot) + 6, slot_bytes(written, slot))
             ? 0
             : kMacRejected;
}

int write_and_check(const DeviceHandle& handle, uint32_t slot, const BoardSectorAreas& areas) {
  unprotect(handle);  // a part that stays protected fails the read-back below
  if (int written = rewrite_board_sector(handle, areas); written != 0) return written;
  if (int verified = verify_slot(handle, slot, areas.userArea); verified != 0) return verified;
  return update_sector_digest(handle, FlashLayout::kBoardSectorNumber) == 0 ? 0 : kMacDigestFailed;
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

  BoardSectorAreas areas;
  if (read_area(handle, FlashLayout::kVpdArea, FlashLayout::kVpdAreaSize / 4, &areas.vpdArea) != 0)
    return kVpdReadFailed;
  if (int read = read_area(handle, FlashLayout::kUserArea, FlashLayout::kUserAreaSize / 4, &areas.userArea))
    return read;
  if (int read = read_area(handle, FlashLayout::kFeatureArea, FlashLayout::kFeatureAreaSize / 4, &areas.featureArea))
    return read;
  if (int read = read_vnic_area(handle, &areas.vnicArea)) return read;

  uint8_t* bytes = slot_bytes(areas.userArea, slot);
  std::reverse_copy(mac.begin(), mac.end(), bytes);
  if (bytes[6] == 0xFF) bytes[6] = 0;
  if (bytes[7] == 0xFF) bytes[7] = 0;

  const int result = write_and_check(handle, slot, areas);
  protect(handle);
  return result;
}
