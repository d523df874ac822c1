#include "sw/tools/flashLoader/boardconfig/vnic_area_read.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;


}  // namespace

int read_vnic_header(const DeviceHandle& handle, VnicHeader* header) {
  std::array<uint8_t, kVnicHeaderBytes> bytes{};
  if (read_bytes(handle, bytes, FlashLayout::kVnicArea, false) != 0) {
    err_printf("Failed to get header\n");
    return kSettingReadFailed;
  }
  *header = parse_vnic_header(bytes);
  return 0;
}

uint32_t vnic_area_bytes(const VnicHeader& header) {
  const uint32_t units = header.active() ? header.units : kInactiveVnicAreaUnits;
  return std::max(FlashLayout::vnicAnnouncedBytes(units), kVnicHeaderBytes);
}
