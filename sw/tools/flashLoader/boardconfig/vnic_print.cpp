#include <cstdio>
#include <vector>

#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/boardconfig/function_masks.h"
#include "sw/tools/flashLoader/boardconfig/programmed_macs.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "sw/tools/flashLoader/boardconfig/vnic_area_read.h"
#include "sw/tools/flashLoader/boardconfig/vnic_properties.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

int vnic_print(const DeviceHandle& handle, uint32_t port) {
  out_printf("\nvNIC property print operation:\n");
  out_printf("PCIE Function Number  : %d\n", static_cast<int>(port));
  VnicHeader header;
  if (int read = read_vnic_header(handle, &header); read != 0) return read;
  std::vector<uint8_t> area(vnic_area_bytes(header));

  print_programmed_macs(handle);
  FunctionMasks masks;
  if (read_function_masks(handle, &masks)) print_function_masks(masks);

  if (read_bytes(handle, area, burnkit::FlashLayout::kVnicArea, false) != 0) {
    err_printf("Failed to read vprop area\n");
    return kSettingReadFailed;
  }
  print_vnic_area(area);
  return 0;
}
