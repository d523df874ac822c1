#include "sw/tools/flashLoader/hostglue/port_lookup.h"

#include <cstdio>

#include "sw/tools/flashLoader/hostglue/connection_lookup.h"
#include "sw/tools/flashLoader/hostglue/driver_key_lookup.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

bool lookup_port_devices(const std::string& connectionName, PortLookup* found) {
  found->instanceIds.clear();
  if (!Get_Instance_Id(connectionName, &found->instanceIds)) {
    out_printf("Get_Instance_Id Failed\n");
    return false;
  }
  platform::WinError error = platform::kErrorSuccess;
  found->devices = kept_net_devices("PCI", &error);
  if (!found->devices) {
    out_printf("SetupDiGetClassDevs Failed\n");
    return false;
  }
  return true;
}

bool lookup_port_driver_key(const std::string& connectionName, PortLookup* found) {
  if (!lookup_port_devices(connectionName, found)) return false;
  found->driverKey.clear();
  if (!Read_Registry_XML(found->instanceIds, &found->driverKey)) {
    out_printf("Read_Registry_XML Failed Line:%d\n", __LINE__);
    return false;
  }
  return true;
}
