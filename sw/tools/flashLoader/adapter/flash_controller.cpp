#include "sw/tools/flashLoader/adapter/flash_controller.h"

#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "sw/tools/flashLoader/adapter/register_poll.h"

namespace {

// A register write the driver did not report done: the instruction that
// follows would run with the controller's old address or opcode.
bool set_register(const DeviceHandle& handle, uint32_t reg, uint32_t value) {
  return cvm_ppd_write(handle, reg, value) == 0;
}

}  // namespace

int wait_done(const DeviceHandle& handle) {
  RegisterPoll status(handle, kRegSpiControllerStatus);
  for (uint32_t poll = 0; poll < g_poll_limits.controllerPolls; ++poll)
    if (status.read() & kSpiInstructionDone) return 0;
  return -1;
}

int run_instruction(const DeviceHandle& handle, uint32_t opcode) {
  // A done bit left over from the previous instruction must not pass for
  // this one's.
  if (!set_register(handle, kRegSpiOpcode, opcode)) return -1;
  return wait_done(handle);
}

int read_status_register(const DeviceHandle& handle, uint32_t* status) {
  if (run_instruction(handle, kSpiReadStatus) != 0) return -1;
  *status = cvm_ppd_read(handle, kRegSpiReadData);
  return 0;
}

int write_enable(const DeviceHandle& handle) {
  if (!set_register(handle, kRegSpiAddressBytes, 0)) return -1;
  return run_instruction(handle, kSpiWriteEnable);
}

int wait_not_busy(const DeviceHandle& handle) {
  if (!set_register(handle, kRegSpiAddressBytes, 0)) return -1;
  for (uint32_t round = 0; round <= g_poll_limits.controllerPolls; ++round) {
    uint32_t status = 0;
    if (read_status_register(handle, &status) != 0) return -1;
    if (!(status & kFlashStatusBusy)) return 0;
  }
  return -1;
}

int write_status_register(const DeviceHandle& handle, uint32_t value) {
  if (write_enable(handle) != 0) return -1;
  if (!set_register(handle, kRegSpiWriteData, value)) return -1;
  if (run_instruction(handle, kSpiWriteStatus) != 0) return -1;
  return wait_not_busy(handle);
}

int sector_erase(const DeviceHandle& handle, uint32_t offset) {
  // Without the latch the part ignores the erase; waiting for it would
  // report a sector erased that was not.
  if (write_enable(handle) != 0) return -1;
  // An address the controller did not take would erase another sector.
  if (!set_register(handle, kRegSpiAddress, offset) || !set_register(handle, kRegSpiAddressBytes, 3) ||
      run_instruction(handle, kSpiSectorErase) != 0) {
    cvm_ppd_write(handle, kRegSpiAddressBytes, 0);
    return -1;
  }
  return wait_not_busy(handle);
}
