// Reading SetupAPI device properties of the network-class devices.
#pragma once

#include <string>
#include <vector>

#include "platform/device_set.h"

using DeviceList = std::vector<platform::DeviceRef>;

// SetupDiGetClassDevs for the network class, present devices only, of the
// enumerator (empty: any).
platform::WinError open_net_devices(const std::string& enumerator, DeviceList* devices);

// One text property of a device (the first text of a multi-text one).
platform::WinError read_device_text(const platform::DeviceRef& device, platform::DeviceProperty which,
                                    std::string* text);

// The location property "PCI bus 5, device 0, function 1" read as three
// word and number pairs ("PCI %s %d,%s %d,%s %d"); the count of numbers read.
int parse_pci_location(const std::string& location, int* bus, int* device, int* function);

bool same_driver_key(const std::string& a, const std::string& b);
