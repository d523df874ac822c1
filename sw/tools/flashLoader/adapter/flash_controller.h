// The chip's SPI flash controller, one instruction at a time. None of these
// takes the ROM lock: the caller holds it where the flash is touched.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Reads the controller status until the instruction is done. 0, or -1 after
// g_poll_limits.controllerPolls reads without it.
int wait_done(const DeviceHandle& handle);

// The flash part's status register. 0 and *status, or -1.
int read_status_register(const DeviceHandle& handle, uint32_t* status);

// Sets the part's write-enable latch. 0 or -1.
int write_enable(const DeviceHandle& handle);

// Polls the status register until no write is in progress. 0 or -1.
int wait_not_busy(const DeviceHandle& handle);

// Write enable, then the status register write. 0 or -1.
int write_status_register(const DeviceHandle& handle, uint32_t value);

// Erases the 64 KiB sector that holds the offset and waits for the part.
// 0 or -1.
int sector_erase(const DeviceHandle& handle, uint32_t offset);

// Runs one instruction: its opcode written to the controller, then wait_done.
int run_instruction(const DeviceHandle& handle, uint32_t opcode);
