// The flash part's write protection: block protection around every write
// run, and the status-register lock that some boards keep set.
#pragma once

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"

inline constexpr int kUnprotectFailed = 8;

// Clears the status register (block protection off) and sets write enable.
// 0, or 8 when either failed.
int unprotect(const DeviceHandle& handle);

// Sets block protection again and write-disables the part. 0; -1 when the
// lock or the status read failed; 9 when the write disable did not finish.
int protect(const DeviceHandle& handle);

// Before any operation that writes: a status register whose write-disable
// bit is set is cleared if the part lets it be. 0; -1 when the lock or a
// status read failed; 31 (after "Flash writes are disabled on this
// board!!!\n" on standard error) when the bit stays set.
int check_flash_writes_enabled(const DeviceHandle& handle);
