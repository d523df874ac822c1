#include "sw/tools/flashLoader/hostglue/class_key_walk.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "platform/host.h"
#include "sw/tools/flashLoader/hostglue/host_index.h"
#include "sw/tools/flashLoader/hostglue/net_class_keys.h"
#include "sw/tools/flashLoader/hostglue/text_compare.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// The adapter instances with a NetCfgInstanceId, in registry order, as the
// last clean walk found them.
HostIndexed<std::optional<std::vector<AdapterInstance>>> g_instances;

}  // namespace

int walk_adapter_instances(const ClassWalkMessages& messages,
                           const std::function<bool(const AdapterInstance&)>& visit) {
  std::optional<std::vector<AdapterInstance>>& kept = g_instances.value();
  if (kept) {
    for (const AdapterInstance& instance : *kept)
      if (!visit(instance)) return 0;
    return 1;
  }
  platform::Registry& registry = platform::host().registry();
  platform::RegKey classKey;
  if (registry.createKey(kNetClassKeyPath, &classKey) != platform::kErrorSuccess) {
    out_printf("%s", messages.createFailed);
    return 0;
  }
  std::vector<AdapterInstance> found;
  bool clean = true;
  for (uint32_t index = 0;; ++index) {
    AdapterInstance instance;
    platform::WinError error = registry.enumSubkey(classKey, index, &instance.subkey);
    if (error == platform::kErrorNoMoreItems) {
      if (clean) kept = std::move(found);
      return 1;
    }
    if (error != platform::kErrorSuccess) {
      out_printf(messages.enumFailed, static_cast<int>(error), __LINE__);
      return 0;
    }
    if (equal_ignoring_case(instance.subkey, "Properties")) continue;
    error = registry.openKey(platform::regJoin(kNetClassKeyPath, instance.subkey), &instance.key);
    if (error == platform::kErrorFileNotFound) continue;
    if (error != platform::kErrorSuccess) {
      out_printf(messages.openFailed, static_cast<int>(error), __LINE__);
      clean = false;
      continue;
    }
    platform::RegValue id;
    if (registry.queryValue(instance.key, "NetCfgInstanceId", &id) != platform::kErrorSuccess) continue;
    instance.netCfgInstanceId = id.text();
    instance.driverKey = std::string(kNetClassGuidText) + "\\" + instance.subkey;
    if (!visit(instance)) return 0;
    found.push_back(std::move(instance));
  }
}
