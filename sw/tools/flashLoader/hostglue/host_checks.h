// Checks of the machine before the flash is written: the 64-bit check, the
// administrator check and the free-space check.
#pragma once

// False when this is a 32-bit process on 64-bit Windows, or the question
// cannot be answered ("Failed in IsWow64" on standard error).
bool running_as_native_process();

// The 64-bit build must write the flash: true, after "Please use x64 bit
// version of burnkit" on standard error, when this process is not native.
bool refuse_32bit_process();

// 1 when the caller is a member of the local Administrators group, else 0.
int is_administrator();

// 0 when the current drive has at least 5 MiB free for the caller; 31 when
// not, or when the question fails (its line on standard error).
int check_free_space();
