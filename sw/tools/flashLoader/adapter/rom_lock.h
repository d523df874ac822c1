// The ROM lock: the chip's hardware semaphore that keeps the driver and the
// adapter's firmware off the flash while the tool drives the flash
// controller. It is not re-entrant: whoever holds it uses only lock-free
// primitives until it gives it back, on every path.
#pragma once

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Reads the semaphore until it answers non-zero (a failed read counts as 0),
// then writes this tool's owner id. 0, or -1 after g_poll_limits.romLockRetries
// further reads without it.
int take_rom_lock(const DeviceHandle& handle);

// One read of the release register (its value means nothing), tried again
// up to twice when the call itself fails.
void release_rom_lock(const DeviceHandle& handle);

// Holds the ROM lock for a scope: takes it on construction (held() says
// whether it was taken) and gives it back when the scope ends unless
// released earlier.
class RomLockHold {
 public:
  explicit RomLockHold(const DeviceHandle& handle) : handle_(handle), held_(take_rom_lock(handle) == 0) {}
  ~RomLockHold() { release(); }
  RomLockHold(const RomLockHold&) = delete;
  RomLockHold& operator=(const RomLockHold&) = delete;

  bool held() const { return held_; }
  // The lock counts as this scope's even though the take failed: the
  // semaphore is left over from an earlier run of this tool.
  void adopt() { held_ = true; }
  void release() {
    if (held_) release_rom_lock(handle_);
    held_ = false;
  }

 private:
  DeviceHandle handle_;
  bool held_;
};
