#include "sw/tools/flashLoader/hostglue/pci_location_lookup.h"

#include <cstdio>
#include "sw/tools/flashLoader/runstate/tool_output.h"

int pci_location_of_driver_key(const DeviceList& devices, const std::string& driverKey, int* bus, int* device,
                               int* function) {
  for (const platform::DeviceRef& entry : devices) {
    std::string driver;
    platform::WinError error = read_device_text(entry, platform::DeviceProperty::Driver, &driver);
    if (error != platform::kErrorSuccess) {
      out_printf("SetupDiGetDeviceRegistryProperty %d", static_cast<int>(error));
      return 0;
    }
    if (!same_driver_key(driver, driverKey)) continue;
    std::string location;
    error = read_device_text(entry, platform::DeviceProperty::Location, &location);
    if (error != platform::kErrorSuccess) {
      out_printf("SetupDiGetDeviceRegistryProperty %d", static_cast<int>(error));
      return 0;
    }
    int b = -1, d = -1, f = -1;
    parse_pci_location(location, &b, &d, &f);
    *bus = b;
    *device = d;
    *function = f;
    return 1;
  }
  return 1;
}
