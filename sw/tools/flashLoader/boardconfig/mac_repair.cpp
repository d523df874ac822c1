#include "sw/tools/flashLoader/boardconfig/mac_repair.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"

#include <algorithm>
#include <cstdio>
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr uint32_t kFirstExtraSlot = 16;

struct ExtraSlot {
  uint32_t slot;
  uint32_t add;
};
constexpr ExtraSlot kExtraSlots[] = {{16, 4}, {17, 8}, {18, 2}, {19, 3}};

// Slot 0's address with n added to the number its low four bytes form (the
// last four display bytes); the first two bytes stay, nothing carries into
// them.
MacAddress derived_mac(const MacAddress& base, uint32_t n) {
  uint32_t low = uint32_t(base[2]) << 24 | uint32_t(base[3]) << 16 | uint32_t(base[4]) << 8 | base[5];
  low += n;
  return {base[0], base[1], static_cast<uint8_t>(low >> 24), static_cast<uint8_t>(low >> 16),
          static_cast<uint8_t>(low >> 8), static_cast<uint8_t>(low)};
}

}  // namespace

void repair_extra_mac_slots(const DeviceHandle& handle, uint32_t boardType, UserAreaRecord* record) {
  if (!board_type_has(boardType, kFillsExtraSlots)) return;
  const MacAddress first = record->mac(kFirstExtraSlot);
  if (!std::all_of(first.begin(), first.end(), [](uint8_t b) { return b == 0xFF; })) return;

  out_printf("Updating Halyard MAC addresses\n");
  const MacAddress base = record->mac(0);
  for (const ExtraSlot& extra : kExtraSlots) {
    const MacAddress mac = derived_mac(base, extra.add);
    // A failed write has said why; the record keeps what the flash holds.
    if (mac_entry_write(handle, extra.slot, mac) == 0) record->setMac(extra.slot, mac);
  }
}
