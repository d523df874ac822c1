#include "sw/tools/flashLoader/hostglue/leftover_switch.h"

#include <cstdio>

#include "platform/host.h"
#include "sw/tools/flashLoader/hostglue/class_key_walk.h"
#include "sw/tools/flashLoader/hostglue/connection_lookup.h"
#include "sw/tools/flashLoader/hostglue/text_compare.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr ClassWalkMessages kMessages{": Creating Registry Key Failed", "RegOpenKeyEx failed %d Line:%d\n",
                                      "RegEnumKeyEx failed %d Line:%d\n"};

}  // namespace

int Clean_Registry(const std::vector<std::string>& instanceIds) {
  int result = 1;
  platform::Registry& registry = platform::host().registry();
  int walked = walk_adapter_instances(kMessages, [&](const AdapterInstance& instance) {
    for (const std::string& id : instanceIds) {
      if (!equal_ignoring_case(instance.netCfgInstanceId, id)) continue;
      platform::RegValue value;
      if (registry.queryValue(instance.key, "LoadFirmware", &value) != platform::kErrorSuccess) result = 3;
    }
    return true;
  });
  if (!walked) {
    out_printf("Clean_Registry Failed Line:%d\n", __LINE__);
    return 0;
  }
  return result;
}

int leftover_driver_switch(const std::string& connectionName) {
  std::vector<std::string> ids;
  if (!Get_Instance_Id(connectionName, &ids)) {
    out_printf("Get_Instance_Id Failed\n");
    return 0;
  }
  return Clean_Registry(ids) == 1 ? 1 : 0;
}

bool switch_marker_on(const std::string& connectionName) {
  std::vector<std::string> ids;
  if (!Get_Instance_Id(connectionName, &ids) || ids.empty()) return false;
  bool marked = false;
  platform::Registry& registry = platform::host().registry();
  walk_adapter_instances(kMessages, [&](const AdapterInstance& instance) {
    for (const std::string& id : ids) {
      platform::RegValue value;
      if (equal_ignoring_case(instance.netCfgInstanceId, id) &&
          registry.queryValue(instance.key, "LoadFirmware", &value) == platform::kErrorSuccess)
        marked = true;
    }
    return true;
  });
  return marked;
}
