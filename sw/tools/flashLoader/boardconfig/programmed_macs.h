// The MAC addresses programmed into the user area's 128 slots.
#pragma once

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// "Programmed MAC Address %d    : XX:..:XX " per slot in use (a slot whose
// first address byte is 0xFF is unused). False after "Failed to get MAC
// information." (standard error) when the user area cannot be read.
bool print_programmed_macs(const DeviceHandle& handle);
