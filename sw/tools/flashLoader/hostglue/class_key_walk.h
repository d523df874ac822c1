// The walk over the adapter instances under the network-adapter class key,
// shared by the lookups that go from a NetCfgInstanceId to its instance.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

struct AdapterInstance {
  std::string subkey;            // "0000", "0001", ...
  std::string driverKey;         // "{4D36E972-E325-11CE-BFC1-08002BE10318}\0000"
  std::string netCfgInstanceId;
  platform::RegKey key;
};

struct ClassWalkMessages {
  const char* createFailed;
  const char* openFailed;  // with the error and a line number
  const char* enumFailed;  // with the error and a line number
};

// Calls visit for every adapter instance that has a NetCfgInstanceId,
// skipping the "Properties" subkey; visit returns false to fail the walk.
// 1 when the enumeration ends normally, 0 on a registry error or when visit
// failed. A subkey that disappears meanwhile is skipped.
int walk_adapter_instances(const ClassWalkMessages& messages,
                           const std::function<bool(const AdapterInstance&)>& visit);

// The position (in walk order) of the last kept instance whose
// NetCfgInstanceId is one of ids, which is what a walk that takes every
// match ends up with. Nothing when the run keeps no clean walk yet (then
// walk) or no instance has one of the ids (kNoInstance).
constexpr size_t kNoInstance = static_cast<size_t>(-1);
std::optional<size_t> last_kept_instance_of(const std::vector<std::string>& ids);
// The kept instance at a position from last_kept_instance_of.
const AdapterInstance& kept_instance(size_t position);
