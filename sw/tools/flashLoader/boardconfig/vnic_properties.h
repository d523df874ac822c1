// The vNIC layout of a dual-port board: shown, entered at the console and
// committed to flash, or wiped.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// The programmed MACs, the function masks and the property area as the
// flash holds it (an inactive area shown over 10 units). 0, or 12 when the
// header or the area cannot be read ("Failed to get header", "Failed to
// read vprop area").
int vnic_print(const DeviceHandle& handle, uint32_t port);

// Asks for the number of vNICs (-1: clean instead), then for each its port,
// MAC, VLAN and transmit ratios; checks the layout, shows it with the
// function masks derived from it and writes both when confirmed. Nothing is
// written when an answer or the layout is refused. 0 when written or
// declined; 31 when refused; 1 on a board without exactly two ports;
// otherwise the write's code.
int vnic_commit(const DeviceHandle& handle, uint32_t port);

// Wipes an active area (all 0xFF over its size) and sets both masks to all
// ones, when confirmed. 0 also when declined or the area is not active; 12
// when the header cannot be read; otherwise the write's code.
int vnic_clean(const DeviceHandle& handle);
