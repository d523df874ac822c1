// The lookup chain from a port's connection name to what the tool needs of
// the host: the instance ids, the PCI device set and the driver key. The
// -i PCI-location search, the discovery report's card locations and the
// driver switch all walk it; each failure prints its own line.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/hostglue/device_properties.h"

struct PortLookup {
  std::vector<std::string> instanceIds;
  std::shared_ptr<const DeviceList> devices;  // every PCI network device, as the run keeps it
  std::string driverKey;
};

// The instance ids and the PCI device set ("Get_Instance_Id Failed",
// "SetupDiGetClassDevs Failed"). false on a failure.
bool lookup_port_devices(const std::string& connectionName, PortLookup* found);

// The same, then the driver key by the instance ids ("Read_Registry_XML
// Failed Line:%d"). false on a failure.
bool lookup_port_driver_key(const std::string& connectionName, PortLookup* found);
