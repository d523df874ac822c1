#include "sw/tools/flashLoader/hostglue/adapter_device_list.h"

#include <cstdio>
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

std::array<platform::DeviceRef, kAdapterDeviceMax> g_adapter_devices;
std::vector<PortLocationTexts> g_port_locations;

namespace {

const bool kReset = register_state_reset([] {
  g_adapter_devices.fill(platform::DeviceRef{});
  g_port_locations.clear();
});

}  // namespace

namespace {

// The location texts are kept for every port of a discovery pass; the
// tables are as long as the adapter device list.
constexpr size_t kPortLocationMax = kAdapterDeviceMax;

}  // namespace

void clear_adapter_devices() { g_adapter_devices.fill(platform::DeviceRef{}); }

int FindDevice(const DeviceList& devices, const std::string& driverKey) {
  int bus = 0;
  for (const platform::DeviceRef& device : devices) {
    std::string driver;
    if (read_device_text(device, platform::DeviceProperty::Driver, &driver) != platform::kErrorSuccess) continue;
    if (!same_driver_key(driver, driverKey)) continue;
    std::string location;
    if (read_device_text(device, platform::DeviceProperty::Location, &location) != platform::kErrorSuccess) break;
    int b = 0, d = 0, f = 0;
    parse_pci_location(location, &b, &d, &f);
    bus = b;
    if (g_port_locations.size() < kPortLocationMax)
      g_port_locations.push_back({std::to_string(b), std::to_string(d), std::to_string(f)});
    break;
  }
  if (!FindOtherDevices(devices, driverKey, bus)) {
    out_printf("FindOtherDevices Failed\n");
    return 0;
  }
  return 1;
}

int FindOtherDevices(const DeviceList& devices, const std::string& driverKey, int bus) {
  size_t next = 1;
  for (const platform::DeviceRef& device : devices) {
    std::string location;
    platform::WinError error = read_device_text(device, platform::DeviceProperty::Location, &location);
    if (error == platform::kErrorInvalidData) continue;
    if (error != platform::kErrorSuccess) {
      out_printf("SetupDiGetDeviceRegistryProperty %d Line%d", static_cast<int>(error), __LINE__);
      return 0;
    }
    int deviceBus = -1, unused = 0;
    parse_pci_location(location, &deviceBus, &unused, &unused);
    std::string driver;
    error = read_device_text(device, platform::DeviceProperty::Driver, &driver);
    if (error == platform::kErrorInvalidData) continue;
    if (error != platform::kErrorSuccess) {
      out_printf("SetupDiGetDeviceRegistryProperty %d on Line%d\n", static_cast<int>(error), __LINE__);
      return 0;
    }
    if (deviceBus != bus) continue;
    if (same_driver_key(driver, driverKey)) {
      g_adapter_devices[0] = device;
    } else if (next < kAdapterDeviceMax) {
      g_adapter_devices[next++] = device;
    }
  }
  return 1;
}
