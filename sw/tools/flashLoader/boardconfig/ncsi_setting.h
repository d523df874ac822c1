// The NC-SI (sideband management) setting: the value of the
// register-initialisation entry for 0x416020B4, 0x9C51 when enabled and 0
// when disabled. Only board 0x705B103C has it.
#pragma once

#include "sw/tools/flashLoader/adapter/adapter_session.h"


// "Enabling NCSI ......." or "Disabling NCSI .......". Only the exact value
// 0x9C51 counts as enabled here. 0 (also when it already had the state);
// 1 when the rewrite failed; 12 when sector 0 cannot be read; 16 when a
// sector's copy cannot be saved; 31 when a digest update failed; 38 on
// other boards and when the table has no entry. A failure leaves the flash
// as it was, or names the file and the command that put it back.
int set_ncsi(const DeviceHandle& handle, bool on);
