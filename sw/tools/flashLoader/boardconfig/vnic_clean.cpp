#include <cstdio>
#include <vector>

#include "sw/tools/flashLoader/boardconfig/board_area_write.h"
#include "sw/tools/flashLoader/boardconfig/console_answers.h"
#include "sw/tools/flashLoader/boardconfig/vnic_area_read.h"
#include "sw/tools/flashLoader/boardconfig/vnic_properties.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

int vnic_clean(const DeviceHandle& handle) {
  VnicHeader header;
  if (int read = read_vnic_header(handle, &header); read != 0) return read;
  if (!header.active()) {
    out_printf("vNIC area not active, giving up\n");
    return 0;
  }
  const std::vector<uint8_t> wiped(vnic_area_bytes(header), 0xFF);
  out_printf("\nWARNING: Do you want to clean vNIC properties? (Y/N) ");
  if (!read_yes_answer()) {
    out_printf("Aborting vNIC property clean operation\n");
    return 0;
  }
  return write_board_areas(handle, wiped, FunctionMasks{});
}
