#include "sw/tools/flashLoader/adapter/register_access.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/driver_io.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

void print_read_call_failed() { out_printf("IO CONTROL FAILED = 0x%x \n", driver_last_error()); }

void print_write_call_failed() {
  out_printf("ERROR cvm_ppd_write ioctl failed ret = %d \n", static_cast<int>(driver_last_error()));
}

uint32_t cvm_ppd_read(const DeviceHandle& handle, uint32_t reg) {
  uint32_t value = 0;
  return read_register(handle, reg, &value) ? value : 0;
}

bool read_register(const DeviceHandle& handle, uint32_t reg, uint32_t* value) {
  if (!handle) {
    out_printf("cvm_ppd_read:device handle null\n");
    return false;
  }
  DriverRequest request = make_word_request(kCmdRegisterRead);
  request.address = reg;
  request.length = 4;
  if (!CvDeviceIoControl(handle, &request)) {
    print_read_call_failed();
    return false;
  }
  *value = static_cast<uint32_t>(request.data);
  return true;
}

int cvm_ppd_write(const DeviceHandle& handle, uint32_t reg, uint32_t value) {
  if (!handle) {
    out_printf("cvm_ppd_write:device handle null\n");
    return -1;
  }
  return send_word_write(handle, kCmdRegisterWrite, reg, value);
}

int send_word_write(const DeviceHandle& handle, uint32_t command, uint32_t address, uint32_t value) {
  DriverRequest request = make_word_request(command);
  request.address = address;
  request.length = 4;
  request.data = value;
  if (!CvDeviceIoControl(handle, &request)) {
    print_write_call_failed();
    return -1;
  }
  return static_cast<int>(request.status);
}
