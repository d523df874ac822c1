#include "sw/tools/flashLoader/hostglue/corvane_port.h"

#include <cstdio>
#include <memory>

#include "sw/tools/flashLoader/hostglue/connection_lookup.h"
#include "sw/tools/flashLoader/hostglue/device_properties.h"
#include "sw/tools/flashLoader/hostglue/driver_key_lookup.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr int kCorvaneVendor = 4040;
constexpr int kCorvaneDevice = 100;
constexpr size_t kDeviceIdMax = 200;  // CM_Get_Device_ID_Ex buffer

}  // namespace

bool is_corvane_device_id(const std::string& instanceId) {
  std::string id = instanceId.substr(0, kDeviceIdMax);
  int vendor = 0, device = 0;
  return std::sscanf(id.c_str(), "PCI\\VEN_%d&DEV_%d", &vendor, &device) == 2 && vendor == kCorvaneVendor &&
         device == kCorvaneDevice;
}

int resolve_corvane_port(const std::string& connectionName, std::string* instanceId) {
  std::string netCfgId;
  if (!Get_NetCfgId(connectionName, &netCfgId)) {
    out_printf("Get_NetCfgId Failed\n");
    return -1;
  }
  if (netCfgId.empty()) return -1;  // no connection of that name
  std::string driverKey;
  if (!Get_Driver_Class(netCfgId, &driverKey)) {
    out_printf("Get_Driver_Class Failed Line:%d\n", __LINE__);
    return -1;
  }
  if (driverKey.empty()) return -1;  // no adapter instance behind it

  platform::WinError error = platform::kErrorSuccess;
  std::shared_ptr<const DeviceList> devices = kept_net_devices("", &error);
  if (!devices) return -1;
  // Without devices that lack an id, the scan below comes down to the
  // devices holding the driver key.
  if (std::shared_ptr<const DriverKeyIndex> index = driver_key_index(*devices)) {
    for (size_t position : index->holding(driverKey)) {
      if (is_corvane_device_id((*devices)[position].instanceId)) {
        *instanceId = netCfgId;
        return 0;
      }
    }
    return -1;
  }
  for (const platform::DeviceRef& device : *devices) {
    if (device.instanceId.empty()) {
      out_printf("devID null!!");
      continue;
    }
    std::string driver;
    if (read_device_text(device, platform::DeviceProperty::Driver, &driver) != platform::kErrorSuccess) continue;
    if (same_driver_key(driver, driverKey) && is_corvane_device_id(device.instanceId)) {
      *instanceId = netCfgId;
      return 0;
    }
  }
  return -1;
}
