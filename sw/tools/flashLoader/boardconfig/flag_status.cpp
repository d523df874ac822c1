#include "sw/tools/flashLoader/boardconfig/flag_status.h"

#include <cstdio>
#include <vector>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/boardconfig/crbinit_table.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

constexpr uint32_t kNcsiEnabled = 0x9C51;

// Ports 32 and above share the bits of ports 0 and up.
bool port_bit(uint32_t mask, uint32_t port) { return (mask >> (port % 32)) & 1; }

const char* state(bool enabled) { return enabled ? "Enabled" : "Disabled"; }

}  // namespace

int pxe_status(const DeviceHandle& handle, uint32_t port) {
  uint32_t boardType = 0;
  if (read_board_type(handle, &boardType) != 0) err_printf("Cannot get boardtype\n");
  uint32_t mask = 0;
  {
    RomLockHold lock(handle);
    if (!lock.held()) return kFlashNotReadable;
    if (read_flash_word(handle, FlashLayout::kUserArea + UserArea::kPxeEnable, &mask) != 0) return kFlashNotReadable;
  }
  if (board_type_has(boardType, kBasePxe))
    out_printf("Base PXE Status            : %s\n", state(port_bit(mask, port)));
  else
    out_printf("PXE Status %d               : %s\n", static_cast<int>(port), state(port_bit(mask, port)));
  return 0;
}

int wol_status(const DeviceHandle& handle, uint32_t port) {
  std::vector<CrbinitEntry> entries;
  if (read_crbinit_entries(handle, &entries) != 0) return kFlashNotReadable;
  const CrbinitEntry* wol = find_crbinit_entry(entries, kCrbinitWolMask);
  if (!wol) return kExitGeneralFailure;
  out_printf("WOL Status %d               : %s\n", static_cast<int>(port), state(port_bit(wol->value, port)));
  return 0;
}

int ncsi_status(const DeviceHandle& handle) {
  std::vector<CrbinitEntry> entries;
  if (read_crbinit_entries(handle, &entries) != 0) return kFlashNotReadable;
  const CrbinitEntry* ncsi = find_crbinit_entry(entries, kCrbinitNcsiSetting);
  if (!ncsi) return kExitGeneralFailure;
  out_printf("NCSI Status                : %s\n", state((ncsi->value & kNcsiEnabled) == kNcsiEnabled));
  return 0;
}
