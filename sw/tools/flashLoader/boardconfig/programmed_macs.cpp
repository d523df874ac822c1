#include "sw/tools/flashLoader/boardconfig/programmed_macs.h"

#include <cstdio>

#include "sw/tools/flashLoader/boardconfig/user_area_record.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

bool print_programmed_macs(const DeviceHandle& handle) {
  UserAreaRecord record;
  if (read_user_area(handle, &record) != 0) {
    err_printf("Failed to get MAC information.\n");
    return false;
  }
  out_printf("\n");
  for (uint32_t slot = 0; slot < burnkit::UserArea::kMacSlotCount; ++slot) {
    const MacAddress mac = record.mac(slot);
    if (mac[0] == 0xFF) continue;
    out_printf("Programmed MAC Address %d    : ", static_cast<int>(slot));
    print_mac_bytes(mac);
    out_printf("\n");
  }
  return true;
}
