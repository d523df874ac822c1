#include "sw/tools/flashLoader/adapter/driver_switch.h"

#include <cstdio>
#include <mutex>

#include "platform/host.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/hostglue/port_lookup.h"
#include "sw/tools/flashLoader/hostglue/adapter_device_list.h"
#include "sw/tools/flashLoader/hostglue/class_key_walk.h"
#include "sw/tools/flashLoader/hostglue/host_index.h"
#include "sw/tools/flashLoader/hostglue/leftover_switch.h"
#include "sw/tools/flashLoader/hostglue/text_compare.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/flash_write_phase.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr ClassWalkMessages kMessages{": Creating Registry Key Failed", "RegOpenKeyEx failed %d Line:%d\n",
                                      "RegEnumKeyEx failed %d Line:%d\n"};

// "3", its NUL and two more bytes, as the driver expects the value.
platform::RegValue quiescentValue() {
  platform::RegValue value;
  value.type = platform::RegType::Sz;
  value.data = {'3', 0, 0, 0};
  return value;
}

constexpr uint32_t kQuiescentWaitMs = 20000;

enum class StepOutcome { Done, Failed };

// One DIF_PROPERTYCHANGE. Parameters refused as invalid count as done (the
// device takes no such change); a failed installer or a device that needs a
// restart to take it ends the switch.
StepOutcome change_state(const platform::DeviceRef& device, platform::StateChange change,
                         platform::StateScope scope) {
  platform::StateChangeResult r = change_device_state(device, change, scope);
  if (r.paramsError == platform::kErrorInvalidParameter) return StepOutcome::Done;
  if (r.paramsError != platform::kErrorSuccess || r.installerError != platform::kErrorSuccess)
    return StepOutcome::Failed;
  if (r.installFlags & (platform::kDiNeedRestart | platform::kDiNeedReboot)) {
    out_printf("You must restart your computer for these changes to take effect.\n");
    return StepOutcome::Failed;
  }
  return StepOutcome::Done;
}

StepOutcome disable(const platform::DeviceRef& device) {
  return change_state(device, platform::StateChange::Disable, platform::StateScope::ConfigSpecific);
}

// Enabling takes two calls; the first one's outcome does not count.
StepOutcome enable(const platform::DeviceRef& device) {
  change_device_state(device, platform::StateChange::Enable, platform::StateScope::Global);
  return change_state(device, platform::StateChange::Enable, platform::StateScope::ConfigSpecific);
}

bool listed(size_t index) { return index < kAdapterDeviceMax && !g_adapter_devices[index].instanceId.empty(); }

int switch_to_quiescent() {
  for (size_t i = 0; listed(i); ++i) {
    out_printf("Disabling devices\n");
    if (disable(g_adapter_devices[i]) == StepOutcome::Failed) return 0;
  }
  if (enable(g_adapter_devices[0]) == StepOutcome::Failed) return 0;
  platform::host().system().sleepMs(kQuiescentWaitMs);
  return 1;
}

int switch_to_normal() {
  if (disable(g_adapter_devices[0]) == StepOutcome::Failed) return 0;
  for (size_t i = 0; listed(i); ++i) {
    out_printf("Enabling devices\n");
    if (enable(g_adapter_devices[i]) == StepOutcome::Failed) return 0;
  }
  return 1;
}

}  // namespace

int Read_Write_Registry(const std::vector<std::string>& instanceIds, int mode, std::string* driverKey) {
  platform::Registry& registry = platform::host().registry();
  bool written = true;
  int walked = walk_adapter_instances(kMessages, [&](const AdapterInstance& instance) {
    for (const std::string& id : instanceIds) {
      if (!equal_ignoring_case(instance.netCfgInstanceId, id)) continue;
      *driverKey = instance.driverKey;
      if (mode == kDriverModeQuiescent) {
        if (registry.setValue(instance.key, "LoadFirmware", quiescentValue()) != platform::kErrorSuccess) {
          out_printf("RegSetValueEx failed\n");
          return written = false;
        }
      } else if (registry.deleteValue(instance.key, "LoadFirmware") != platform::kErrorSuccess) {
        out_printf("RegDeleteValue failed\n");
        return written = false;
      }
    }
    return true;
  });
  return walked && written ? 1 : 0;
}

int switch_driver_mode(int mode, const std::string& connectionName) {
  // Ctrl+C or a close waits for the switch to end before it ends the run:
  // ended half-way (the marker already taken away, the functions still
  // down) the port could neither be opened nor found by the next run's
  // repair. Whole, the switch leaves either normal functions or the marker.
  std::lock_guard<std::mutex> wholeSwitch(flash_write_decision());
  PortLookup found;
  if (!lookup_port_devices(connectionName, &found)) return 0;
  if (!Read_Write_Registry(found.instanceIds, mode, &found.driverKey)) {
    out_printf("Read_Write_Registry Failed Line:%d\n", __LINE__);
    return 0;
  }
  clear_adapter_devices();
  if (!FindDevice(*found.devices, found.driverKey) || !listed(0)) {
    out_printf("FindDevice Failed\n");
    return 0;
  }
  if (mode == kDriverModeQuiescent) return switch_to_quiescent();
  if (switch_to_normal()) return 1;
  // The functions are not all back in normal mode: the marker that lets a
  // later run find and repair the switch goes back on.
  std::string ignored;
  Read_Write_Registry(found.instanceIds, kDriverModeQuiescent, &ignored);
  return 0;
}

int cv_driver_quiescent_mode(const std::string& connectionName) {
  if (!leftover_driver_switch(connectionName)) return 0;
  close_adapter();
  // A quiescent half that failed (a device that asks for a restart, a
  // function that does not change state) stops the repair there: the normal
  // half would meet the same refusal, say so again and could take the
  // marker away while the functions are still down. The marker stays, so
  // the next run repairs the switch.
  int cleared = switch_driver_mode(kDriverModeQuiescent, connectionName);
  if (cleared) {
    close_adapter();
    cleared = switch_driver_mode(kDriverModeNormal, connectionName);
  }
  if (cleared) return 0;
  out_printf("cv_driver_quiescent_mode failed \n");
  return kExitGeneralFailure;
}
