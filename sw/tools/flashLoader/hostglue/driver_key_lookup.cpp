#include "sw/tools/flashLoader/hostglue/driver_key_lookup.h"

#include <cstdio>
#include <functional>

#include "platform/host.h"
#include "sw/tools/flashLoader/hostglue/class_key_walk.h"
#include "sw/tools/flashLoader/hostglue/text_compare.h"

namespace {

bool same_id(const std::string& a, const std::string& b) { return equal_ignoring_case(a, b); }

constexpr ClassWalkMessages kDriverClassMessages{"Get_Driver_Class:Creating Registry Key Failed",
                                                 "Get_Driver_Class:RegOpenKeyEx failed %d Line:%d\n",
                                                 "Get_Driver_Class:RegEnumKeyEx failed %d Line:%d\n"};
constexpr ClassWalkMessages kListMessages{": Creating Registry Key Failed", "RegOpenKeyEx failed %d Line:%d\n",
                                          "RegEnumKeyEx failed %d Line:%d\n"};

}  // namespace

int Get_Driver_Class(const std::string& instanceId, std::string* driverKey) {
  if (std::optional<size_t> last = last_kept_instance_of({instanceId})) {
    if (*last != kNoInstance) *driverKey = kept_instance(*last).driverKey;
    return 1;
  }
  return walk_adapter_instances(kDriverClassMessages, [&](const AdapterInstance& instance) {
    if (same_id(instance.netCfgInstanceId, instanceId)) *driverKey = instance.driverKey;
    return true;
  });
}

int Read_Registry_XML(const std::vector<std::string>& instanceIds, std::string* driverKey) {
  if (std::optional<size_t> last = last_kept_instance_of(instanceIds)) {
    if (*last != kNoInstance) *driverKey = kept_instance(*last).driverKey;
    return 1;
  }
  return walk_adapter_instances(kListMessages, [&](const AdapterInstance& instance) {
    for (const std::string& id : instanceIds)
      if (same_id(instance.netCfgInstanceId, id)) *driverKey = instance.driverKey;
    return true;
  });
}
