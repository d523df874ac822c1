#include "sw/tools/flashLoader/adapter/chip_identity.h"

#include <cstdio>
#include <cstring>

#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/adapter/driver_io.h"
#include "sw/tools/flashLoader/adapter/flash_update_notice.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// Fields of the hardware-info answer buffer.
constexpr size_t kChipRevisionAt = 263;
constexpr size_t kEfuseIdAt = 272;

// Drivers before 3.4.337 know only generation-2 boards.
bool driver_knows_only_generation2(uint32_t major, uint32_t minor, uint32_t build) {
  return major < 3 || (major == 3 && minor < 4) || (major == 3 && minor == 4 && build <= 336);
}

}  // namespace

bool get_hw_nic_mode(const DeviceHandle& handle, HardwareInfo* info) {
  DriverRequest request = make_driver_request(kCmdHardwareInfo);
  request.bufferLength = kDriverBufferSize;
  if (!CvDeviceIoControl(handle, &request) || request.status != kDriverStatusDone) {
    print_read_call_failed();
    return false;
  }
  info->chipRevision = request.buffer[kChipRevisionAt];
  std::memcpy(&info->efuseId, request.buffer + kEfuseIdAt, sizeof info->efuseId);
  return true;
}

int set_nic_type(const DeviceHandle& handle) {
  const DriverVersion version = decode_driver_version(get_driver_version(handle));
  if (driver_knows_only_generation2(version.major, version.minor, version.build)) {
    g_adapter.nicType = 2;
    return 0;
  }
  if (version.major == 3) {
    out_printf("This tool is not compatible with the currently running driver.\n"
                "Please update the driver to version %s or newer.\n",
                kRequiredDriverVersion);
    return -1;
  }

  int result = 0;
  HardwareInfo info;
  if (get_hw_nic_mode(handle, &info)) {
    g_adapter.lastChipRevision = info.chipRevision;
  } else {
    out_printf("get_hw_nic_mode in set_nic_type failed\n");
    result = -1;  // the revision read before still decides the type
  }
  const int generation = chip_generation(g_adapter.lastChipRevision);
  if (generation == 0) {
    out_printf("Unknown Chip Type\n");
    return -1;
  }
  g_adapter.nicType = generation;
  return result;
}

uint8_t get_chip_revision(const DeviceHandle& handle) {
  HardwareInfo info;
  if (get_hw_nic_mode(handle, &info)) return info.chipRevision;
  out_printf("get_hw_nic_mode in get_chip_revision failed\n");
  return 0;
}

void get_efuse_id(const DeviceHandle& handle, uint64_t* id) {
  HardwareInfo info;
  if (get_hw_nic_mode(handle, &info)) {
    *id = info.efuseId;
  } else {
    out_printf("get_efuse_nic_id in get_efuse_id failed\n");
  }
  out_printf("Efuse ID    \t\t   : 0x%016llx\n", static_cast<unsigned long long>(*id));
}
