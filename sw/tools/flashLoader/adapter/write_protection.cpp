#include "sw/tools/flashLoader/adapter/write_protection.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/flash_controller.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// The status register, read under the ROM lock. 0 and *status, or -1.
int read_status_locked(const DeviceHandle& handle, uint32_t* status) {
  RomLockHold lock(handle);
  if (!lock.held()) return -1;
  return read_status_register(handle, status);
}

// Write disable; 9 when the part never finishes it.
int write_disable(const DeviceHandle& handle) {
  return run_instruction(handle, kSpiWriteDisable) == 0 ? 0 : kFlashLockNotTaken;
}

}  // namespace

int unprotect(const DeviceHandle& handle) {
  const bool cleared = write_status_register(handle, 0) == 0;
  const bool enabled = write_enable(handle) == 0;
  return cleared && enabled ? 0 : kUnprotectFailed;
}

int protect(const DeviceHandle& handle) {
  uint32_t status = 0;
  if (int read = read_status_locked(handle, &status); read != 0) return read;
  if (write_status_register(handle, status | kFlashStatusBlockProtect) == 0) wait_not_busy(handle);
  return write_disable(handle);
}

int check_flash_writes_enabled(const DeviceHandle& handle) {
  uint32_t status = 0;
  if (int read = read_status_locked(handle, &status); read != 0) return read;
  if (!(status & kFlashStatusWriteDisable)) return 0;

  write_status_register(handle, status & ~kFlashStatusWriteDisable);
  wait_not_busy(handle);
  run_instruction(handle, kSpiWriteDisable);
  if (int read = read_status_locked(handle, &status); read != 0) return read;
  if (!(status & kFlashStatusWriteDisable)) return 0;
  err_printf("Flash writes are disabled on this board!!!\n");
  return kExitGeneralFailure;
}
