#include "sw/tools/flashLoader/adapter/flash_update_notice.h"

#include "sw/tools/flashLoader/adapter/driver_io.h"
#include "sw/tools/flashLoader/adapter/register_access.h"

namespace {

int send_flash_update_notice(const DeviceHandle& handle, uint32_t command) {
  if (driver_skips_flash_update_notice(get_driver_version(handle))) return 0;
  DriverRequest request = make_driver_request(command);
  request.length = kDriverRequestSize;
  if (!CvDeviceIoControl(handle, &request)) {
    print_read_call_failed();
    return -1;
  }
  return static_cast<int>(request.status);
}

}  // namespace

uint32_t get_driver_version(const DeviceHandle& handle) {
  DriverRequest request = make_driver_request(kCmdDriverVersion);
  request.bufferLength = kDriverBufferSize;
  if (!CvDeviceIoControl(handle, &request)) {
    print_read_call_failed();
    return 0xFFFFFFFF;
  }
  return request.status;
}

bool driver_skips_flash_update_notice(uint32_t versionWord) {
  const DriverVersion v = decode_driver_version(versionWord);
  if (v.major == 4 && v.minor == 0 && v.build >= 201 && v.build <= 227) return true;
  return v.major >= 4 && v.minor >= 1;
}

int flash_update_begin(const DeviceHandle& handle) { return send_flash_update_notice(handle, kCmdFlashUpdateBegin); }

int flash_update_end(const DeviceHandle& handle) { return send_flash_update_notice(handle, kCmdFlashUpdateEnd); }
