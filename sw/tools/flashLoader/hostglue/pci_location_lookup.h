// The PCI location of an adapter instance. (The connection of a Corvane port
// at a given PCI location is the front end's -i lookup, built on this.)
#pragma once

#include <string>

#include "sw/tools/flashLoader/hostglue/device_properties.h"

// The bus, device and function of the device whose driver property equals
// the driver key. 1 = done (outputs untouched when no device has it),
// 0 = a property could not be read.
int pci_location_of_driver_key(const DeviceList& devices, const std::string& driverKey, int* bus, int* device,
                               int* function);
