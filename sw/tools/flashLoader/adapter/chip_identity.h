// What the driver tells about the chip: its hardware-info answer (chip
// revision, efuse id) and, with the driver version, the chip generation the
// tool works with (set_nic_type).
#pragma once

#include <array>
#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

inline constexpr const char* kRequiredDriverVersion = "4.0.593";

struct HardwareInfo {
  uint8_t chipRevision = 0;
  uint64_t efuseId = 0;  // factory-programmed unique id of Z3 chips
};

// Command 99. True and *info when the call succeeded with status 0; false
// after "IO CONTROL FAILED = 0x%x \n" otherwise.
bool get_hw_nic_mode(const DeviceHandle& handle, HardwareInfo* info);

// Decides the nic type (2 or 3) from the driver version and, with drivers
// of 4.0 and later, the chip revision, both kept in g_adapter. 0; -1 when
// the driver is a 3.x too new for this tool, the chip query failed or the
// revision is of no known generation (each after its lines).
int set_nic_type(const DeviceHandle& handle);

// The chip revision code for reports; 0 (after its lines) when the query
// failed.
uint8_t get_chip_revision(const DeviceHandle& handle);

// Prints "Efuse ID    \t\t   : 0x%016llx\n" with the chip's efuse id; when
// the query fails (after its lines) *id stays as the caller had it.
void get_efuse_id(const DeviceHandle& handle, uint64_t* id);
