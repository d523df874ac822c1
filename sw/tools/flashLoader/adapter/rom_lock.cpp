#include "sw/tools/flashLoader/adapter/rom_lock.h"

#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "sw/tools/flashLoader/adapter/register_poll.h"

int take_rom_lock(const DeviceHandle& handle) {
  RegisterPoll semaphore(handle, kRegRomSemaphoreTake);
  if (!handle) {
    semaphore.read();  // says that no adapter is open; waiting would change nothing
    return -1;
  }
  for (uint32_t attempt = 0; attempt <= g_poll_limits.romLockRetries; ++attempt) {
    if (semaphore.read() == 0) continue;
    // A failed write has printed its line; the lock is taken all the same.
    cvm_ppd_write(handle, kRegRomLockOwner, kRomLockOwnerId);
    return 0;
  }
  return -1;
}

void release_rom_lock(const DeviceHandle& handle) {
  // A release the driver never carried out leaves the semaphore held for
  // good: the driver and the firmware would wait on it after this run.
  const int tries = handle ? 3 : 1;  // without an adapter a retry changes nothing
  uint32_t ignored = 0;
  for (int attempt = 0; attempt < tries; ++attempt)
    if (read_register(handle, kRegRomSemaphoreRelease, &ignored)) return;
}
