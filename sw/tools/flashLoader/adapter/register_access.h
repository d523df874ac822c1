// Reading and writing one 32-bit chip register through the driver, and the
// two failure lines every direct driver command reports.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Command 1. The register's value; 0 when there is no handle or the call
// failed (after its line).
uint32_t cvm_ppd_read(const DeviceHandle& handle, uint32_t reg);

// The same, telling a failed call apart from a register that reads 0:
// false after the line.
bool read_register(const DeviceHandle& handle, uint32_t reg, uint32_t* value);

// Command 2. The answer's status word; -1 when there is no handle or the
// call failed (after its line).
int cvm_ppd_write(const DeviceHandle& handle, uint32_t reg, uint32_t value);

// "IO CONTROL FAILED = 0x%x \n" with the calling thread's driver error: a
// failed read-type call (commands 1, 50, 99, 105, 116, 117).
// One write-type request (a register or a flash word): the driver's status
// word, or -1 after "ERROR cvm_ppd_write ioctl failed ret = %d \n" when the
// call itself failed.
int send_word_write(const DeviceHandle& handle, uint32_t command, uint32_t address, uint32_t value);

void print_read_call_failed();
// "ERROR cvm_ppd_write ioctl failed ret = %d \n": a failed write-type call
// (commands 2, 51).
void print_write_call_failed();
