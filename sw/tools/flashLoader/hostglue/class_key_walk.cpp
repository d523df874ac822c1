#include "sw/tools/flashLoader/hostglue/class_key_walk.h"

#include <cstdio>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/host.h"
#include "sw/tools/flashLoader/hostglue/host_index.h"
#include "sw/tools/flashLoader/hostglue/net_class_keys.h"
#include "sw/tools/flashLoader/hostglue/text_compare.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// The adapter instances with a NetCfgInstanceId, in registry order, as the
// last clean walk found them, and their positions by folded id.
struct KeptInstances {
  std::vector<AdapterInstance> instances;
  std::unordered_map<std::string, std::vector<size_t>> byId;
};
HostIndexed<std::optional<KeptInstances>> g_instances;

}  // namespace

int walk_adapter_instances(const ClassWalkMessages& messages,
                           const std::function<bool(const AdapterInstance&)>& visit) {
  std::optional<KeptInstances>& kept = g_instances.value();
  if (kept) {
    for (const AdapterInstance& instance : kept->instances)
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
      if (clean) {
        KeptInstances walked{std::move(found), {}};
        for (size_t i = 0; i < walked.instances.size(); ++i)
          walked.byId[folded_case(walked.instances[i].netCfgInstanceId)].push_back(i);
        kept = std::move(walked);
      }
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

std::optional<size_t> last_kept_instance_of(const std::vector<std::string>& ids) {
  std::optional<KeptInstances>& kept = g_instances.value();
  if (!kept) return std::nullopt;
  size_t last = kNoInstance;
  for (const std::string& id : ids) {
    auto found = kept->byId.find(folded_case(id));
    if (found == kept->byId.end()) continue;
    if (last == kNoInstance || found->second.back() > last) last = found->second.back();
  }
  return last;
}

const AdapterInstance& kept_instance(size_t position) { return g_instances.value()->instances[position]; }
