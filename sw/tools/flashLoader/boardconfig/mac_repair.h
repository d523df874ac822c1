// Boards 0x80 and 0x29 keep four more MAC addresses from slot 16 on, made
// from the first port's address. A board whose slot 16 is blank gets them
// written before its report is shown.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/boardconfig/user_area_record.h"

// When the board type needs it and slot 16 is blank: "Updating Halyard MAC
// addresses\n", then slots 16-19 written (slot 0's address plus 4, 8, 2 and
// 3 in its low 32 bits) and, for each write that succeeded, the record
// updated to match.
void repair_extra_mac_slots(const DeviceHandle& handle, uint32_t boardType, UserAreaRecord* record);
