#include "sw/tools/flashLoader/adapter/adapter_session.h"

#include <cstdio>

#include "platform/host.h"
#include "sw/tools/flashLoader/adapter/driver_io.h"
#include "sw/tools/flashLoader/hostglue/corvane_port.h"
#include "sw/tools/flashLoader/hostglue/instance_lock.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// "\\.\" and the instance id; the path buffer holds 99 characters.
constexpr size_t kDevicePathMax = 99;

}  // namespace

AdapterSession g_adapter;

namespace {

const bool kReset = register_state_reset([] {
  g_adapter.device.store(nullptr);
  g_adapter.dialect.store(kDialectNotProbed);
  g_adapter.nicType = 2;
  g_adapter.lastChipRevision = 0;
  g_adapter.port = 0;
});

}  // namespace

DeviceHandle adapter_handle() { return g_adapter.device.load(); }

void close_adapter() { g_adapter.device.store(nullptr); }

void release_at_exit() {
  close_adapter();
  remove_lock_file();
}

int open_adapter(const std::string& interfaceName, uint32_t* port) {
  // The name is resolved first: an empty one fails there, before its own
  // line could be printed.
  std::string instanceId;
  if (resolve_corvane_port(interfaceName, &instanceId) != 0) return -1;

  std::string path = "\\\\.\\" + instanceId;
  if (path.size() > kDevicePathMax) path.resize(kDevicePathMax);
  auto device = std::make_shared<DeviceObject>();
  platform::WinError error = platform::kErrorSuccess;
  device->channel = platform::host().drivers().open(path, &error);
  g_adapter.device.store(device);
  if (interfaceName.empty()) {
    out_printf("device is null...\n");
    return -1;
  }

  DriverRequest probe = make_driver_request(kCmdOpenProbe);
  if (!CvDeviceIoControl(device, &probe)) return -1;
  if (port) *port = static_cast<uint32_t>(probe.data & 0xFF);
  return 0;
}
