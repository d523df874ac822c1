// The state of the per-board settings kept in flash, one line each on
// standard output: PXE boot per port (user area), wake-on-LAN per port and
// NC-SI (register-initialisation entries).
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"


// "PXE Status %d               : Enabled" or "... Disabled" for the port
// (board 0x22: "Base PXE Status            : ..."). 0, or 12 when the flash
// cannot be read.
int pxe_status(const DeviceHandle& handle, uint32_t port);

// "WOL Status %d               : Enabled" or "... Disabled". 0; 12; 31
// (nothing printed) when the table has no WOL entry.
int wol_status(const DeviceHandle& handle, uint32_t port);

// "NCSI Status                : Enabled" when the setting holds every bit
// of 0x9C51, else "... Disabled". 0; 12; 31 when the table has no NC-SI
// entry.
int ncsi_status(const DeviceHandle& handle);
