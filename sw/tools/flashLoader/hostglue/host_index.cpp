#include "sw/tools/flashLoader/hostglue/host_index.h"

#include "platform/host.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"

namespace {

uint64_t g_changes = 0;

const bool kReset = register_state_reset([] { forget_host_index(); });

}  // namespace

HostIndexStamp host_index_stamp() { return {platform::hostReplacements(), g_changes}; }

void forget_host_index() { ++g_changes; }

platform::StateChangeResult change_device_state(const platform::DeviceRef& device, platform::StateChange change,
                                                platform::StateScope scope) {
  platform::StateChangeResult result = platform::host().devices().changeState(device, change, scope);
  forget_host_index();
  return result;
}
