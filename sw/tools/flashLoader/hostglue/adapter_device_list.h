// The SetupAPI devices of one adapter card: the port's own function first,
// then every other device on the same PCI bus. The driver switch disables
// and enables them together.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/hostglue/device_properties.h"

inline constexpr size_t kAdapterDeviceMax = 32;

// Entry 0 is the port's own device, entries 1.. the others on its bus; the
// first entry with an empty instance id ends the list.
extern std::array<platform::DeviceRef, kAdapterDeviceMax> g_adapter_devices;

// Decimal bus, device and function texts of each port found by FindDevice.
struct PortLocationTexts {
  std::string bus;
  std::string device;
  std::string function;
};
extern std::vector<PortLocationTexts> g_port_locations;

// Empties the adapter device list.
void clear_adapter_devices();

// Finds the device of the driver key, records its location in
// g_port_locations and fills g_adapter_devices with it and the other devices
// on its bus. 1 = done, 0 = failure.
int FindDevice(const DeviceList& devices, const std::string& driverKey);

// Fills g_adapter_devices from the devices on the bus. 1 = done, 0 = a
// property could not be read.
int FindOtherDevices(const DeviceList& devices, const std::string& driverKey, int bus);
