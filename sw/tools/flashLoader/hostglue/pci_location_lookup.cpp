#include "sw/tools/flashLoader/hostglue/pci_location_lookup.h"

#include <cstdio>
#include <memory>

#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

int print_property_error(platform::WinError error) {
  out_printf("SetupDiGetDeviceRegistryProperty %d", static_cast<int>(error));
  return 0;
}

int read_location(const platform::DeviceRef& entry, int* bus, int* device, int* function) {
  std::string location;
  platform::WinError error = read_device_text(entry, platform::DeviceProperty::Location, &location);
  if (error != platform::kErrorSuccess) return print_property_error(error);
  int b = -1, d = -1, f = -1;
  parse_pci_location(location, &b, &d, &f);
  *bus = b;
  *device = d;
  *function = f;
  return 1;
}

}  // namespace

int pci_location_of_driver_key(const DeviceList& devices, const std::string& driverKey, int* bus, int* device,
                               int* function) {
  // The scan below stops at the first device whose driver property fails
  // or names the key; the index knows both without reading every device.
  if (std::shared_ptr<const DriverKeyIndex> index = driver_key_index(devices)) {
    const std::vector<size_t>& holders = index->holding(driverKey);
    const size_t match = holders.empty() ? DriverKeyIndex::kNone : holders.front();
    if (index->firstError < match) return print_property_error(index->firstErrorCode);
    if (match == DriverKeyIndex::kNone) return 1;
    return read_location(devices[match], bus, device, function);
  }
  for (const platform::DeviceRef& entry : devices) {
    std::string driver;
    platform::WinError error = read_device_text(entry, platform::DeviceProperty::Driver, &driver);
    if (error != platform::kErrorSuccess) return print_property_error(error);
    if (!same_driver_key(driver, driverKey)) continue;
    return read_location(entry, bus, device, function);
  }
  return 1;
}
