// Reading the vNIC property area's header and its bytes from the flash.
#pragma once

#include <cstdint>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/boardconfig/vnic_area.h"

// The header; 0, or 12 after "Failed to get header" (standard error).
int read_vnic_header(const DeviceHandle& handle, VnicHeader* header);

// The area's size in bytes: its size field when active, else 10 units; never
// past the start of the user area.
uint32_t vnic_area_bytes(const VnicHeader& header);
