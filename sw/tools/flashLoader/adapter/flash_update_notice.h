// Telling the driver that the tool is about to rewrite the flash, and that
// it is done (flash-update begin and end), for the drivers that need it; and
// the driver version query that decides it.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Command 105: the driver version word (major in bits 31-24, minor 23-16,
// build 15-0). A failed call prints its line and gives 0xFFFFFFFF.
uint32_t get_driver_version(const DeviceHandle& handle);

// The driver version word's three numbers; the one place that knows its
// layout.
struct DriverVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};
inline DriverVersion decode_driver_version(uint32_t word) { return {word >> 24, (word >> 16) & 0xFF, word & 0xFFFF}; }

// True for the driver versions that must not be sent flash-update begin and
// end: 4.0.201 to 4.0.227, and 4.1 or later. An unknown version
// (0xFFFFFFFF) reads as 255.255 and is one of them.
bool driver_skips_flash_update_notice(uint32_t versionWord);

// Commands 116 and 117. The answer's status; 0 when the driver version skips
// them; -1 (after its line) when the call fails. The caller holds the ROM
// lock while it sends begin.
int flash_update_begin(const DeviceHandle& handle);
int flash_update_end(const DeviceHandle& handle);
