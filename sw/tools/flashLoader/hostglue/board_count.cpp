#include "sw/tools/flashLoader/hostglue/board_count.h"

#include <cstdio>

#include "sw/tools/flashLoader/hostglue/device_properties.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

int g_highest_card_index = -1;

namespace {

const bool kReset = register_state_reset([] { g_highest_card_index = -1; });

}  // namespace

int count_boards() {
  DeviceList devices;
  if (open_net_devices("", &devices) != platform::kErrorSuccess) return -1;
  int count = 0;
  for (const platform::DeviceRef& device : devices) {
    std::string hardwareId;
    if (read_device_text(device, platform::DeviceProperty::HardwareId, &hardwareId) != platform::kErrorSuccess)
      continue;
    if (hardwareId.find("VEN_4040") == std::string::npos) continue;
    std::string location;
    platform::WinError error = read_device_text(device, platform::DeviceProperty::Location, &location);
    if (error != platform::kErrorSuccess) {
      out_printf("SetupDiGetDeviceRegistryProperty %d Line%d\n", static_cast<int>(error), __LINE__);
      continue;
    }
    int bus = 0, dev = 0, function = 0;
    if (parse_pci_location(location, &bus, &dev, &function) < 3) function = 0;
    if (function == 0) ++count;
  }
  g_highest_card_index = count - 1;
  return count;
}
