// Reading SetupAPI device properties of the network-class devices.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/device_set.h"

using DeviceList = std::vector<platform::DeviceRef>;

// SetupDiGetClassDevs for the network class, present devices only, of the
// enumerator (empty: any).
platform::WinError open_net_devices(const std::string& enumerator, DeviceList* devices);

// The same list as the run keeps it, without a copy; null on a failure.
std::shared_ptr<const DeviceList> kept_net_devices(const std::string& enumerator, platform::WinError* error);

// Where the driver keys sit in one device list: what a scan of the list for
// a driver key finds, answered without the scan. Positions are in list
// order; a device whose driver property gave an error holds no key.
struct DriverKeyIndex {
  static constexpr size_t kNone = static_cast<size_t>(-1);
  std::unordered_map<std::string, std::vector<size_t>> positions;  // by folded key
  size_t firstError = kNone;  // the first device whose driver property failed
  platform::WinError firstErrorCode = 0;

  // The positions of the devices with that driver key (none for an empty key).
  const std::vector<size_t>& holding(const std::string& driverKey) const;
};

// The index of a list from kept_net_devices (the very object), built once
// per run; null for any other list, or when reading the list's driver
// properties gave an answer the run does not keep (then scan it).
std::shared_ptr<const DriverKeyIndex> driver_key_index(const DeviceList& devices);

// One text property of a device (the first text of a multi-text one).
platform::WinError read_device_text(const platform::DeviceRef& device, platform::DeviceProperty which,
                                    std::string* text);

// The location property "PCI bus 5, device 0, function 1" read as three
// word and number pairs ("PCI %s %d,%s %d,%s %d"); the count of numbers read.
int parse_pci_location(const std::string& location, int* bus, int* device, int* function);

bool same_driver_key(const std::string& a, const std::string& b);
